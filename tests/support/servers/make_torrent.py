"""Makes a .torrent file of a file or a folder for the peer-to-peer tests
(BitTorrent v1 metainfo, standard library only). Files of a folder are taken
in sorted order of their paths, names as UTF-8.

  make_torrent.py --source PATH --out FILE [--tracker URL] [--web-seed URL]...
                  [--piece-length BYTES] [--name NAME]
"""
import argparse
import hashlib
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bencoding import bencode  # noqa: E402


def collect_files(source):
    if os.path.isfile(source):
        return [(source, [])]
    found = []
    for folder, dirs, names in os.walk(source):
        dirs.sort()
        for name in sorted(names):
            full = os.path.join(folder, name)
            found.append((full, os.path.relpath(full, source).split(os.sep)))
    found.sort(key=lambda f: f[1])
    return found


def piece_hashes(paths, piece_length):
    hashes = []
    buf = b""
    for path in paths:
        with open(path, "rb") as f:
            while True:
                chunk = f.read(1 << 20)
                if not chunk:
                    break
                buf += chunk
                while len(buf) >= piece_length:
                    hashes.append(hashlib.sha1(buf[:piece_length]).digest())
                    buf = buf[piece_length:]
    if buf:
        hashes.append(hashlib.sha1(buf).digest())
    return b"".join(hashes)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--tracker")
    parser.add_argument("--web-seed", action="append", default=[])
    parser.add_argument("--piece-length", type=int, default=256 * 1024)
    parser.add_argument("--name")
    args = parser.parse_args()

    source = os.path.abspath(args.source)
    files = collect_files(source)
    info = {
        "name": args.name or os.path.basename(source.rstrip(os.sep)),
        "piece length": args.piece_length,
        "pieces": piece_hashes([f[0] for f in files], args.piece_length),
    }
    if os.path.isfile(source):
        info["length"] = os.path.getsize(source)
    else:
        info["files"] = [{"length": os.path.getsize(full), "path": parts} for full, parts in files]
    meta = {"info": info, "created by": "tessar tests"}
    if args.tracker:
        meta["announce"] = args.tracker
    if args.web_seed:
        meta["url-list"] = args.web_seed
    tmp = args.out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(bencode(meta))
    os.replace(tmp, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
