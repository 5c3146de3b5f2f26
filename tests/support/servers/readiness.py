"""Shared start-up of the test servers: bind 127.0.0.1 on an ephemeral port,
then tell the test program our pid and port through the ready file."""
import os


def announce(ready_file, port):
    tmp = ready_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d %d\n" % (os.getpid(), port))
    os.replace(tmp, ready_file)


def _expire(seconds):
    import time
    time.sleep(seconds)
    os._exit(0)


# A server whose test program died before stopping it must not live on: it
# ends by itself after VQ_SERVER_MAX_SECONDS (15 minutes unless set).
def _start_expiry():
    import threading
    seconds = float(os.environ.get("VQ_SERVER_MAX_SECONDS", "900"))
    threading.Thread(target=_expire, args=(seconds,), daemon=True).start()


_start_expiry()
