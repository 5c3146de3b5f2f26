#!/usr/bin/env python3
"""Local stand-in for the update and statistics servers, for the tests.

    update_server.py --root FOLDER --ready-file PATH

Binds 127.0.0.1 on an ephemeral port and writes "PID PORT" to the ready file
(readiness.py). Every reply has status 200 and a Content-Length unless a
fault is asked for. The last path segment picks the endpoint, so a server
address may carry any path before it ("http://127.0.0.1:PORT/vq").

Download-information endpoints (need soft=MAJOR.MINOR, else 400):
    update_database.php, update_advert.php, update_hot.php,
    update_icon.php, query_url.php
  The reply is a file of the root folder, the first that exists of
    STEM/ID.xml   (the request's id, when it has one)
    STEM/VER.xml  (else the request's ver, when it has one)
    STEM/default.xml
    STEM.xml
  (STEM is the endpoint without ".php"); none gives 404. In the reply text
    {base}       becomes http://127.0.0.1:PORT
    {md5:REL}    the upper-case MD5 of the file REL below the root
    {size:REL}   its size in bytes

Updater's release information (no query):
    update       the file update.xml of the root folder, placeholders
                 filled as above; 404 when it is missing

Statistics endpoints, answered with the body "OK":
    download_complete.php, install_complete.php, click_register.php
        (need soft and id)
    online_stat.php (needs mac, diskid and ver)
    stat.php (anything)

Other paths:
    /files/REL           the file REL below the root (404 outside it)
    /__requests          the request log: every request target received
                         ("/path?query" as sent), one a line, oldest first;
                         requests to /__requests are not logged
    /__requests?clear=1  the same, then the log is emptied

Faults: a path that starts with /__fault/KIND is answered as the rest of
the path would be, but with the fault:
    status-N       status N with a short body
    nolength       no Content-Length; the connection closes after the body
    zerolength     Content-Length: 0 and no body
    length-TEXT    the body with "Content-Length: TEXT" (e.g. length-12abc)
    short          the full length announced, half the body sent, closed
    close          the connection closed before any reply
    corrupt        the body with its last byte changed (same length), so a
                   file no longer matches the MD5 of its reply
    stall-MS       headers and half the body, then MS ms of silence before
                   the rest
    stallhead-MS   MS ms of silence before any reply
    drip-MS        the head at once, then the body one byte every MS ms
    driphead-MS    the status line, then the rest of the head one byte
                   every MS ms, then the body
    redirect-N     302 to the same path with redirect-(N-1) as its fault;
                   redirect-0 is answered as the path would be
    redirect-self  302 to the very same target, again and again
Faulted requests are logged like any other (with their /__fault prefix);
an unknown KIND gives 400.
"""
import argparse
import hashlib
import http.server
import os
import re
import socket
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from readiness import announce  # noqa: E402

INFO_ENDPOINTS = {"update_database.php", "update_advert.php", "update_hot.php",
                  "update_icon.php", "query_url.php"}
RELEASE_ENDPOINT = "update"
STAT_KEYS = {
    "download_complete.php": ("soft", "id"),
    "install_complete.php": ("soft", "id"),
    "click_register.php": ("soft", "id"),
    "online_stat.php": ("mac", "diskid", "ver"),
    "stat.php": (),
}
SAFE_NAME = re.compile(r"^[A-Za-z0-9_.-]+$")
SOFT = re.compile(r"^[0-9]+\.[0-9]+$")
PLACEHOLDER = re.compile(r"\{(md5|size):([^}]+)\}")
FAULT = re.compile(r"^(nolength|zerolength|short|close|corrupt|length-.+|redirect-self|"
                   r"(status|stall|stallhead|drip|driphead|redirect)-[0-9]+)$")


class State:
    def __init__(self, root):
        self.root = os.path.realpath(root)
        self.lock = threading.Lock()
        self.log = []
        self.port = 0

    def file_below_root(self, rel):
        path = os.path.realpath(os.path.join(self.root, rel.lstrip("/")))
        if path != self.root and not path.startswith(self.root + os.sep):
            return None
        return path if os.path.isfile(path) else None


class Handler(http.server.BaseHTTPRequestHandler):
    state = None  # set in main

    def log_message(self, *args):
        pass

    # Replies ---------------------------------------------------------------

    def drip(self, data, ms):
        for i in range(len(data)):
            time.sleep(ms / 1000.0)
            self.wfile.write(data[i:i + 1])
            self.wfile.flush()

    def reply_dripping(self, status, body, content_type):
        head = ("HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n"
                % (status, self.responses.get(status, ("",))[0], content_type, len(body))).encode("latin-1")
        self.close_connection = True
        kind, ms = self.fault.split("-")
        line_end = head.index(b"\r\n") + 2
        try:
            if kind == "driphead":
                self.wfile.write(head[:line_end])
                self.wfile.flush()
                self.drip(head[line_end:], int(ms))
                self.wfile.write(body)
            else:
                self.wfile.write(head)
                self.wfile.flush()
                self.drip(body, int(ms))
            self.wfile.flush()
        except OSError:
            pass  # the client gave up

    def redirect(self, target):
        self.send_response(302)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True

    def reply(self, status, body, content_type="text/plain"):
        fault = self.fault
        if fault.startswith("drip"):
            return self.reply_dripping(status, body, content_type)
        if fault.startswith("stallhead-"):
            time.sleep(int(fault[len("stallhead-"):]) / 1000.0)
        if fault == "close":
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if fault.startswith("status-"):
            status, body = int(fault[len("status-"):]), b"fault"
        if fault == "corrupt" and body:
            body = body[:-1] + bytes([body[-1] ^ 0xFF])
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        if fault == "zerolength":
            body = b""
            self.send_header("Content-Length", "0")
        elif fault.startswith("length-"):
            self.send_header("Content-Length", fault[len("length-"):])
        elif fault != "nolength":
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        try:
            if fault == "short":
                self.wfile.write(body[:len(body) // 2])
                self.wfile.flush()
                self.connection.shutdown(socket.SHUT_RDWR)
                return
            if fault.startswith("stall-"):
                self.wfile.write(body[:len(body) // 2])
                self.wfile.flush()
                time.sleep(int(fault[len("stall-"):]) / 1000.0)
                self.wfile.write(body[len(body) // 2:])
            else:
                self.wfile.write(body)
            self.wfile.flush()
        except OSError:
            pass  # the client gave up first

    # Endpoints -------------------------------------------------------------

    def fill_placeholders(self, text):
        def value(match):
            path = self.state.file_below_root(match.group(2))
            if path is None:
                return "missing:" + match.group(2)
            if match.group(1) == "size":
                return str(os.path.getsize(path))
            with open(path, "rb") as f:
                return hashlib.md5(f.read()).hexdigest().upper()
        text = text.replace("{base}", "http://127.0.0.1:%d" % self.state.port)
        return PLACEHOLDER.sub(value, text)

    def info_reply(self, name, query):
        if not SOFT.match(query.get("soft", "")):
            return self.reply(400, b"soft missing")
        stem = name[:-len(".php")]
        candidates = []
        for key in ("id", "ver"):
            value = query.get(key)
            if value is not None:
                if SAFE_NAME.match(value) and ".." not in value:
                    candidates.append("%s/%s.xml" % (stem, value))
                break
        candidates += ["%s/default.xml" % stem, "%s.xml" % stem]
        for rel in candidates:
            path = self.state.file_below_root(rel)
            if path is not None:
                with open(path, "rb") as f:
                    raw = f.read()
                # Placeholders are ASCII; the rest of the bytes pass unchanged.
                text = self.fill_placeholders(raw.decode("latin-1"))
                return self.reply(200, text.encode("latin-1"), "text/xml")
        return self.reply(404, b"no reply file")

    def release_reply(self):
        path = self.state.file_below_root("update.xml")
        if path is None:
            return self.reply(404, b"no reply file")
        with open(path, "rb") as f:
            raw = f.read()
        text = self.fill_placeholders(raw.decode("latin-1"))
        return self.reply(200, text.encode("latin-1"), "text/xml")

    def do_GET(self):
        target = self.path
        parsed = urllib.parse.urlsplit(target)
        path = parsed.path
        query = {k: v[-1] for k, v in urllib.parse.parse_qs(parsed.query, keep_blank_values=True).items()}
        self.fault = ""
        match = re.match(r"^/__fault/([^/]+)(/.*)?$", path)
        if match:
            path = match.group(2) or "/"
            if not FAULT.match(match.group(1)):
                with self.state.lock:
                    self.state.log.append(target)
                return self.reply(400, b"unknown fault")
            self.fault = match.group(1)
            if self.fault == "redirect-self":
                with self.state.lock:
                    self.state.log.append(target)
                return self.redirect(target)
            if self.fault.startswith("redirect-"):
                left = int(self.fault[len("redirect-"):])
                if left > 0:
                    with self.state.lock:
                        self.state.log.append(target)
                    rest = match.group(2) or "/"
                    query_text = ("?" + parsed.query) if parsed.query else ""
                    return self.redirect("/__fault/redirect-%d%s%s" % (left - 1, rest, query_text))
                self.fault = ""

        if path == "/__requests":
            with self.state.lock:
                body = "".join(line + "\n" for line in self.state.log).encode("utf-8")
                if query.get("clear") == "1":
                    self.state.log.clear()
            self.fault = ""
            return self.reply(200, body)
        with self.state.lock:
            self.state.log.append(target)

        if path.startswith("/files/"):
            file_path = self.state.file_below_root(urllib.parse.unquote(path[len("/files/"):]))
            if file_path is None:
                return self.reply(404, b"no such file")
            with open(file_path, "rb") as f:
                return self.reply(200, f.read(), "application/octet-stream")
        name = path.rsplit("/", 1)[-1]
        if name in INFO_ENDPOINTS:
            return self.info_reply(name, query)
        if name == RELEASE_ENDPOINT:
            return self.release_reply()
        if name in STAT_KEYS:
            for key in STAT_KEYS[name]:
                if key not in query:
                    return self.reply(400, ("%s missing" % key).encode())
            if "soft" in STAT_KEYS[name] and not SOFT.match(query["soft"]):
                return self.reply(400, b"soft malformed")
            return self.reply(200, b"OK")
        return self.reply(404, b"unknown endpoint")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--ready-file", required=True)
    args = ap.parse_args()
    Handler.state = State(args.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    Handler.state.port = server.server_address[1]
    announce(args.ready_file, Handler.state.port)
    server.serve_forever()


if __name__ == "__main__":
    main()
