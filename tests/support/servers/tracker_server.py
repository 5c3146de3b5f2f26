"""A small BitTorrent HTTP tracker on 127.0.0.1 for the peer-to-peer tests.

Debian's opentracker is built for a whitelist of torrents read at start-up,
which does not fit torrents that the tests make after the tracker runs; this
one takes every torrent. It answers /announce with compact peer lists and a
two-second interval (so peers find each other quickly), /scrape with the
seeder and leecher counts, and /peers with every listed peer of every
torrent as text lines "PORT LEFT" (for tests that must know which peer, not
only how many, the tracker has heard from).

  tracker_server.py --ready-file PATH
"""
import argparse
import http.server
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, __import__("os").path.dirname(__file__))
from readiness import announce  # noqa: E402
from bencoding import bencode  # noqa: E402

INTERVAL = 2
PEER_LIFETIME = 60

lock = threading.Lock()
swarms = {}  # info hash (bytes) -> {peer id: (ip, port, left, seen)}


def counts(swarm):
    complete = sum(1 for p in swarm.values() if p[2] == 0)
    return complete, len(swarm) - complete


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def reply(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, encoding="latin-1", keep_blank_values=True)
        hashes = [h.encode("latin-1") for h in query.get("info_hash", [])]
        if url.path.endswith("/announce"):
            self.announce(query, hashes)
        elif url.path.endswith("/scrape"):
            self.scrape(hashes)
        elif url.path.endswith("/peers"):
            self.peers()
        else:
            self.reply(bencode({"failure reason": "unknown request"}))

    def announce(self, query, hashes):
        try:
            info_hash = hashes[0]
            peer_id = query["peer_id"][0].encode("latin-1")
            port = int(query["port"][0])
            left = int(query.get("left", ["0"])[0])
        except (IndexError, KeyError, ValueError):
            self.reply(bencode({"failure reason": "bad announce"}))
            return
        event = query.get("event", [""])[0]
        ip = self.client_address[0]
        now = time.time()
        with lock:
            swarm = swarms.setdefault(info_hash, {})
            for pid in [p for p, v in swarm.items() if now - v[3] > PEER_LIFETIME]:
                del swarm[pid]
            if event == "stopped":
                swarm.pop(peer_id, None)
            else:
                swarm[peer_id] = (ip, port, left, now)
            others = [v for p, v in swarm.items() if p != peer_id]
            complete, incomplete = counts(swarm)
        compact = b"".join(bytes(int(x) for x in v[0].split(".")) + v[1].to_bytes(2, "big") for v in others)
        self.reply(bencode({"interval": INTERVAL, "min interval": 1, "complete": complete,
                            "incomplete": incomplete, "peers": compact}))

    def peers(self):
        now = time.time()
        with lock:
            lines = ["%d %d" % (v[1], v[2]) for swarm in swarms.values() for v in swarm.values()
                     if now - v[3] <= PEER_LIFETIME]
        self.reply(("peers\n" + "".join(line + "\n" for line in lines)).encode())

    def scrape(self, hashes):
        files = {}
        with lock:
            for h in hashes:
                complete, incomplete = counts(swarms.get(h, {}))
                files[h] = {"complete": complete, "incomplete": incomplete, "downloaded": 0}
        self.reply(bencode({"files": files}))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ready-file", required=True)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    announce(args.ready_file, server.server_address[1])
    server.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main())
