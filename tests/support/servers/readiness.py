"""Shared start-up of the test servers: bind 127.0.0.1 on an ephemeral port,
then tell the test program our pid and port through the ready file."""
import os


def announce(ready_file, port):
    tmp = ready_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d %d\n" % (os.getpid(), port))
    os.replace(tmp, ready_file)
