"""Runs aria2c (Debian's aria2) as a peer of the peer-to-peer tests, on
127.0.0.1, with DHT, local discovery and peer exchange off, so it meets
peers only through the torrent's tracker.

  aria2_peer.py --seed --torrent FILE --dir DIR --ready-file PATH
      seeds DIR's copy of the torrent's content (checked first); ready once
      the tracker lists it as a seeder.
  aria2_peer.py --fetch --torrent FILE --dir DIR --done-file PATH --ready-file PATH
      ready at once; waits until the tracker lists a seeder, then downloads
      into DIR and ends; aria2c's exit code goes to the done file.

The ready file holds this wrapper's pid (which the test ends; aria2c ends
with it) and aria2c's listening port. The wrapper stays until it is ended,
also after aria2c has.
"""
import argparse
import ctypes
import fcntl
import hashlib
import os
import random
import signal
import socket
import subprocess
import sys
import time
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(__file__))
from readiness import announce  # noqa: E402
from bencoding import bdecode  # noqa: E402


def info_hash_and_tracker(torrent):
    data = open(torrent, "rb").read()
    meta, _ = bdecode(data)
    start = data.index(b"4:info") + 6
    _, end = bdecode(data, start)
    return hashlib.sha1(data[start:end]).digest(), meta.get(b"announce", b"").decode()


def seeders(tracker, info_hash):
    url = tracker.rsplit("/announce", 1)[0] + "/scrape?info_hash=" + urllib.parse.quote_from_bytes(info_hash)
    try:
        reply, _ = bdecode(urllib.request.urlopen(url, timeout=5).read())
        return reply[b"files"][info_hash][b"complete"]
    except Exception:
        return 0


# aria2c is told its port before it binds it. A port of the system's
# ephemeral range could be taken meanwhile by any program's outgoing
# connection or by a test that binds port 0; the engine tests name their own
# ranges (6881-6890, 30100-31699). This band is used by these wrappers only,
# and a lock file held for the wrapper's life keeps two of them, from test
# programs running at the same time, off the same port.
PORT_BAND = (20000, 29999)
PR_SET_PDEATHSIG = 1
# Looked up before any fork: the child between fork and exec only calls it.
try:
    PRCTL = ctypes.CDLL(None, use_errno=True).prctl
except (OSError, AttributeError):
    PRCTL = None


def reserve_port():
    first, last = PORT_BAND
    count = last - first + 1
    offset = random.randrange(count)
    for i in range(count):
        port = first + (offset + i) % count
        lock = open("/tmp/vq-aria2-port-%d.lock" % port, "a")
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except OSError:
            lock.close()
            continue
        probe = socket.socket()
        try:
            probe.bind(("0.0.0.0", port))
        except OSError:
            lock.close()
            continue
        finally:
            probe.close()
        return port, lock
    raise RuntimeError("no free port for aria2c")


def end_with_wrapper():
    """In aria2c before it runs: killed when this wrapper ends, also when the
    wrapper is killed outright (Linux's parent-death signal)."""
    if PRCTL is not None:
        PRCTL(PR_SET_PDEATHSIG, signal.SIGKILL)


def main():
    parser = argparse.ArgumentParser()
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--seed", action="store_true")
    mode.add_argument("--fetch", action="store_true")
    parser.add_argument("--torrent", required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--done-file")
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--timeout", type=int, default=120)
    args = parser.parse_args()

    info_hash, tracker = info_hash_and_tracker(args.torrent)
    port, port_lock = reserve_port()  # noqa: F841 (held until the wrapper ends)
    common = ["aria2c", "--dir=" + args.dir, "--listen-port=%d" % port, "--enable-dht=false",
              "--enable-dht6=false", "--bt-enable-lpd=false", "--enable-peer-exchange=false",
              "--disable-ipv6=true", "--console-log-level=warn", "--summary-interval=0",
              "--file-allocation=none", "--auto-save-interval=0", "--bt-save-metadata=false",
              "--bt-stop-timeout=0",
              # Announce every two seconds with short time-outs: on a busy
              # machine a first announce can fail, and aria2c's own retry
              # would come only after the test's wait.
              "--bt-tracker-interval=2", "--bt-tracker-connect-timeout=10", "--bt-tracker-timeout=10"]
    if args.seed:
        argv = common + ["--check-integrity=true", "--seed-ratio=0.0", "--seed-time=100000", args.torrent]
    else:
        argv = common + ["--seed-time=0", "--allow-overwrite=true", args.torrent]

    child = None

    class Stopped(Exception):
        pass

    def stop(*_):
        # Raised where the wrapper waits (for aria2c, among others), so that
        # the wait lets go of the child first: a wait on it from inside the
        # handler would block for good on the interrupted one.
        raise Stopped()

    def end_child():
        # aria2c's first signal only starts a graceful end (a last tracker
        # request); the second one ends it.
        for wait in (1, 3):
            if child and child.poll() is None:
                child.terminate()
                try:
                    child.wait(wait)
                except subprocess.TimeoutExpired:
                    pass
        if child and child.poll() is None:
            child.kill()
            child.wait()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    try:
        deadline = time.time() + args.timeout
        if args.fetch:
            announce(args.ready_file, port)
            while seeders(tracker, info_hash) < 1:
                if time.time() > deadline:
                    return 1
                time.sleep(0.2)
        child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 preexec_fn=end_with_wrapper)
        if args.seed:
            while seeders(tracker, info_hash) < 1:
                if child.poll() is not None or time.time() > deadline:
                    return 1
                time.sleep(0.2)
            announce(args.ready_file, port)
            child.wait()
        else:
            code = child.wait()
            if args.done_file:
                tmp = args.done_file + ".tmp"
                with open(tmp, "w") as f:
                    f.write("%d\n" % code)
                os.replace(tmp, args.done_file)
        # Stay until the test ends us: a pid that vanished on its own could be
        # handed to another process before the test's kill arrives.
        while True:
            signal.pause()
    except Stopped:
        return 0
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        end_child()

if __name__ == "__main__":
    sys.exit(main())
