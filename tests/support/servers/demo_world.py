#!/usr/bin/env python3
"""The demo world: everything the demo catalogue's manager talks to, on
127.0.0.1. `bash scripts/run` and the end-to-end tests start this one script,
so what the user tries is what the tests drive.

    demo_world.py --build BUILD --program FOLDER --root SCRATCH --ready-file PATH
                  [--max-seconds N]

BUILD is the build folder: BUILD/demo/world holds what `vqtool demo` wrote
(games.txt, the roads of the catalogue's games, and packages/ with a package
per game) and BUILD/demo/world/release the demo release program. FOLDER is
the manager's program folder: its servers.ini is pointed at the world.
SCRATCH (made when missing; what it held is replaced) receives the update
server's answers, the torrents and the seeders' copies.

Started, each by its pid and ended by it when this script is ended (SIGTERM
or SIGINT) or after --max-seconds (VQ_SERVER_MAX_SECONDS, else 900 s):
  nginx           serves BUILD/demo/world/packages with byte ranges;
  tracker         tracker_server.py, for the peer-to-peer games;
  seeders         one aria2_peer.py --seed per peer-to-peer game;
  update server   update_server.py on SCRATCH/update: query_url/ID.xml for
                  every game that downloads (HTTP games and Flash games: their
                  package on nginx with its MD5, size and file name; peer-to-
                  peer games: download type 2, the torrent with its MD5 and
                  size, a web seed that leads nowhere, so the bytes come from
                  the seeder), the catalogue, advert and hot-list answers
                  ("nothing new"), the statistics, and "update": a newer
                  release (VERSION 1.7.2.0) whose file is the demo release
                  program.

When all are up, "PID PORT" (this script's pid, the update server's port) is
written to the ready file (readiness.py's way) and one line per road is
printed: which games come how.
"""
import argparse
import ctypes
import hashlib
import os
import shutil
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from bencoding import bencode  # noqa: E402

RELEASE_VERSION = "1.7.2.0"
RELEASE_PROGRAM = "DemoRelease.exe"
PIECE_LENGTH = 16 * 1024
START_SECONDS = 120
END_SECONDS = 2.5
PR_SET_PDEATHSIG = 1
# Looked up before any fork: the child between fork and exec only calls it.
try:
    PRCTL = ctypes.CDLL(None, use_errno=True).prctl
except (OSError, AttributeError):
    PRCTL = None


class Game:
    def __init__(self, line):
        fields = line.rstrip("\n").split(" ", 3)
        self.id = int(fields[0])
        self.road = fields[1]
        self.package = fields[2]
        self.name = fields[3] if len(fields) > 3 else ""

    def label(self):
        return "%s (%05d)" % (self.name, self.id)


def read_games(world):
    with open(os.path.join(world, "games.txt"), encoding="utf-8") as f:
        return [Game(line) for line in f if line.strip() and not line.startswith("#")]


def md5_of(path):
    with open(path, "rb") as f:
        return hashlib.md5(f.read()).hexdigest().upper()


def write_text(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)


def make_torrent(source, out, tracker):
    """A single-file torrent (BitTorrent v1), as make_torrent.py makes them."""
    with open(source, "rb") as f:
        data = f.read()
    pieces = b"".join(hashlib.sha1(data[i:i + PIECE_LENGTH]).digest()
                      for i in range(0, len(data), PIECE_LENGTH))
    meta = {"announce": tracker, "created by": "tessar demo world",
            "info": {"name": os.path.basename(source), "piece length": PIECE_LENGTH,
                     "pieces": pieces, "length": len(data)}}
    with open(out, "wb") as f:
        f.write(bencode(meta))


def end_with_parent():
    """In a child before it runs: SIGTERM when this world ends, also when
    it is killed outright (Linux's parent-death signal), so that no server
    outlives it."""
    if PRCTL is not None:
        PRCTL(PR_SET_PDEATHSIG, signal.SIGTERM)


class Children:
    """The servers this world started, ended by their pids."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.started = []
        self.count = 0

    def start(self, argv):
        """Starts argv with --ready-file; its port once it announced itself."""
        self.count += 1
        ready = os.path.join(self.scratch, "ready-%d" % self.count)
        if os.path.exists(ready):
            os.remove(ready)
        child = subprocess.Popen(argv + ["--ready-file", ready], stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=sys.stderr, preexec_fn=end_with_parent)
        self.started.append(child)
        deadline = time.time() + START_SECONDS
        while time.time() < deadline:
            if os.path.exists(ready):
                with open(ready) as f:
                    fields = f.read().split()
                os.remove(ready)
                return int(fields[1])
            if child.poll() is not None:
                break
            time.sleep(0.05)
        raise RuntimeError("did not start: " + " ".join(argv))

    def end(self):
        """All at once and within a few seconds: whoever ends this world may
        not wait long before ending it outright."""
        for child in self.started:
            if child.poll() is None:
                child.terminate()
        deadline = time.time() + END_SECONDS
        for child in self.started:
            try:
                child.wait(max(0.1, deadline - time.time()))
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
        self.started = []


def update_answers(root, games, world, files_base, torrents, release):
    """The update server's folder: every answer of the world."""
    for stem in ("update_database", "update_advert", "update_hot"):
        write_text(os.path.join(root, stem + ".xml"), "<FILE><DownloadUrl>None</DownloadUrl></FILE>\n")
    for game in games:
        if game.road == "web":
            continue
        if game.road == "p2p":
            torrent = torrents[game.id]
            info = ("<DownloadType>2</DownloadType><DownloadUrl>%s/none/</DownloadUrl>"
                    "<Md5>%s</Md5><FileSize>%d</FileSize><FileName>%s</FileName>"
                    "<TorrentUrl>{base}/files/torrents/%s</TorrentUrl>"
                    % (files_base, md5_of(torrent), os.path.getsize(torrent), game.package,
                       os.path.basename(torrent)))
        else:
            package = os.path.join(world, "packages", game.package)
            info = ("<DownloadType>1</DownloadType><DownloadUrl>%s/%s</DownloadUrl>"
                    "<Md5>%s</Md5><FileSize>%d</FileSize><FileName>%s</FileName>"
                    % (files_base, game.package, md5_of(package), os.path.getsize(package), game.package))
        write_text(os.path.join(root, "query_url", "%05d.xml" % game.id),
                   '<?xml version="1.0"?>\n<FILE>%s</FILE>\n' % info)
    shutil.copyfile(release, os.path.join(root, RELEASE_PROGRAM))
    write_text(os.path.join(root, "update.xml"),
               "<VERSION>%s</VERSION><FILE><DownloadUrl>{base}/files/%s</DownloadUrl><Md5>%s</Md5>"
               "<FileSize>%d</FileSize><FileName>%s</FileName></FILE>\n"
               % (RELEASE_VERSION, RELEASE_PROGRAM, md5_of(release), os.path.getsize(release), RELEASE_PROGRAM))


def write_servers_ini(program, port):
    base = "http://127.0.0.1:%d" % port
    with open(os.path.join(program, "servers.ini"), "w", newline="") as f:
        f.write("[Servers]\r\nUpdateServer=%s\r\nStatisticsServer=%s\r\n" % (base, base))


def announce(ready_file, port):
    tmp = ready_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d %d\n" % (os.getpid(), port))
    os.replace(tmp, ready_file)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--max-seconds", type=float,
                        default=float(os.environ.get("VQ_SERVER_MAX_SECONDS", "900")))
    args = parser.parse_args()

    world = os.path.join(os.path.abspath(args.build), "demo", "world")
    release = os.path.join(world, "release", RELEASE_PROGRAM)
    games = read_games(world)
    scratch = os.path.abspath(args.root)
    shutil.rmtree(scratch, ignore_errors=True)
    for sub in ("update/torrents", "seed"):
        os.makedirs(os.path.join(scratch, sub))
    # The servers end by themselves no earlier than this world does.
    os.environ["VQ_SERVER_MAX_SECONDS"] = str(args.max_seconds + 60)

    children = Children(scratch)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    try:
        python = sys.executable or "/usr/bin/python3"
        files_port = children.start(["bash", os.path.join(HERE, "nginx_server.sh"),
                                     "--root", os.path.join(world, "packages")])
        files_base = "http://127.0.0.1:%d" % files_port
        peer_games = [g for g in games if g.road == "p2p"]
        torrents = {}
        if peer_games:
            tracker_port = children.start([python, os.path.join(HERE, "tracker_server.py")])
            tracker = "http://127.0.0.1:%d/announce" % tracker_port
            for game in peer_games:
                seed = os.path.join(scratch, "seed", "%05d" % game.id)
                os.makedirs(seed)
                shutil.copyfile(os.path.join(world, "packages", game.package), os.path.join(seed, game.package))
                torrent = os.path.join(scratch, "update", "torrents", "%05d.torrent" % game.id)
                make_torrent(os.path.join(seed, game.package), torrent, tracker)
                torrents[game.id] = torrent
                children.start([python, os.path.join(HERE, "aria2_peer.py"), "--seed",
                                "--torrent", torrent, "--dir", seed])
        update_root = os.path.join(scratch, "update")
        update_answers(update_root, games, world, files_base, torrents, release)
        update_port = children.start([python, os.path.join(HERE, "update_server.py"), "--root", update_root])
        write_servers_ini(args.program, update_port)

        by_road = {}
        for game in games:
            by_road.setdefault(game.road, []).append(game)
        print("demo world: update server http://127.0.0.1:%d, files %s" % (update_port, files_base))
        for road, text in (("http", "over HTTP ranges"), ("p2p", "peer-to-peer from a seeder"),
                           ("flash", "Flash games, played in Pallico"), ("web", "web games, opened in Dravenn")):
            found = by_road.get(road, [])
            if found:
                names = ", ".join(g.label() for g in found[:3])
                print("demo world: %d %s, e.g. %s" % (len(found), text, names))
        print("demo world: the updater finds release %s" % RELEASE_VERSION)
        sys.stdout.flush()
        announce(args.ready_file, update_port)
        stop.wait(args.max_seconds)
    finally:
        children.end()
    return 0


if __name__ == "__main__":
    sys.exit(main())
