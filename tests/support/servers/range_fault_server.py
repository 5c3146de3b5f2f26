#!/usr/bin/env python3
"""HTTP file server for the range downloader's tests that gets things wrong
on purpose. Files come from --root; the request path says what to do:

    /TAG/MODE/COUNT/FILE

TAG only keeps the counters of different tests apart. Range requests to
the same /TAG/MODE/COUNT/FILE are counted, and the fault hits the first
COUNT of them ("all": every one); later ones are answered correctly.
Requests without a Range (the size query) are answered correctly unless
the mode says otherwise. Modes:

  ok            always correct
  ignore-range  200 with the whole file, as if Range were unknown
  cut           206 with the right head, then half the body and a close
  drop          close without an answer
  wrong-range   206 with the bytes (and Content-Range) of another range
  overlong      206 without Content-Length, the range, then junk, close
  stall         206, the first 64 KiB of the body, then silence
  identity-chunked  206 with the right Content-Range, a Transfer-Encoding
                "identity" field and then a "chunked" one, the range in
                chunk framing, close
  gzip          206 with the right Content-Range and Content-Encoding
                gzip, the range gzip-compressed (the test files do not
                compress, so the body is longer than the range), close
  range-NNN     status NNN with a small page
  split-header  (every request) the head in 7-byte packets
  long-header   (every request) a head of more than 8 KiB with field
                names in odd cases
  stall-all     (every request) no answer at all, the connection open
  status-NNN    (every request) status NNN with a page and a
                Content-Length
"""
import argparse
import gzip
import os
import socket
import socketserver
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(__file__))
from readiness import announce  # noqa: E402

STALL_SECONDS = 60


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, root):
        super().__init__(("127.0.0.1", 0), Handler)
        self.root = root
        self.counts = {}
        self.lock = threading.Lock()

    def count(self, key):
        with self.lock:
            self.counts[key] = self.counts.get(key, 0) + 1
            return self.counts[key]


def status_text(code):
    return {200: "OK", 206: "Partial Content", 301: "Moved Permanently", 302: "Found",
            403: "Forbidden", 404: "Not Found", 416: "Range Not Satisfiable",
            500: "Internal Server Error", 503: "Service Unavailable"}.get(code, "Status")


def head_bytes(code, fields):
    lines = ["HTTP/1.1 %d %s" % (code, status_text(code))]
    lines += ["%s: %s" % (k, v) for k, v in fields]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


def parse_range(value, size):
    unit, _, bounds = value.partition("=")
    first, _, last = bounds.strip().partition("-")
    first = int(first)
    last = int(last) if last else size - 1
    return first, min(last, size - 1)


class Handler(socketserver.BaseRequestHandler):
    def send(self, data):
        try:
            self.request.sendall(data)
            return True
        except OSError:
            return False

    def stall(self):
        end = time.time() + STALL_SECONDS
        self.request.settimeout(0.5)
        while time.time() < end:
            try:
                if not self.request.recv(4096):
                    return
            except socket.timeout:
                continue
            except OSError:
                return

    def handle(self):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = self.request.recv(4096)
            if not chunk:
                return
            data += chunk
        lines = data.split(b"\r\n\r\n")[0].decode("latin-1").split("\r\n")
        target = lines[0].split(" ")[1]
        fields = {}
        for line in lines[1:]:
            name, _, value = line.partition(":")
            fields[name.strip().lower()] = value.strip()
        parts = target.lstrip("/").split("/", 3)
        if len(parts) != 4:
            self.send(head_bytes(400, [("Content-Length", "0"), ("Connection", "close")]))
            return
        _tag, mode, count, name = parts
        path = os.path.join(self.server.root, name)
        try:
            with open(path, "rb") as f:
                content = f.read()
        except OSError:
            self.send(head_bytes(404, [("Content-Length", "0"), ("Connection", "close")]))
            return
        size = len(content)

        if mode == "stall-all":
            self.stall()
            return
        if mode.startswith("status-"):
            code = int(mode[7:])
            page = b"<html><body>%d</body></html>" % code
            self.send(head_bytes(code, [("Content-Type", "text/html"),
                                        ("Content-Length", str(len(page))),
                                        ("Connection", "close")]) + page)
            return

        range_text = fields.get("range")
        if range_text is None:
            self.answer_whole(mode, content)
            return
        first, last = parse_range(range_text, size)
        number = self.server.count(target)
        faulty = count == "all" or number <= int(count)
        if not faulty or mode in ("ok", "split-header", "long-header"):
            self.answer_range(mode, content, first, last)
            return

        body = content[first:last + 1]
        if mode == "ignore-range":
            self.answer_whole(mode, content)
        elif mode == "cut":
            self.send(self.range_head(first, last, size) + body[:len(body) // 2])
        elif mode == "drop":
            pass
        elif mode == "wrong-range":
            other_first = 0 if first != 0 else size - len(body)
            other_last = other_first + len(body) - 1
            self.send(self.range_head(other_first, other_last, size) + content[other_first:other_last + 1])
        elif mode == "overlong":
            self.send(head_bytes(206, [("Content-Range", "bytes %d-%d/%d" % (first, last, size)),
                                       ("Connection", "close")]) + body + b"\xAA" * 4096)
        elif mode == "identity-chunked":
            framed = b"%x\r\n" % len(body) + body + b"\r\n0\r\n\r\n"
            self.send(head_bytes(206, [("Content-Range", "bytes %d-%d/%d" % (first, last, size)),
                                       ("Transfer-Encoding", "identity"),
                                       ("Transfer-Encoding", "chunked"),
                                       ("Connection", "close")]) + framed)
        elif mode == "gzip":
            self.send(head_bytes(206, [("Content-Range", "bytes %d-%d/%d" % (first, last, size)),
                                       ("Content-Encoding", "gzip"),
                                       ("Connection", "close")]) + gzip.compress(body))
        elif mode == "stall":
            if self.send(self.range_head(first, last, size) + body[:65536]):
                self.stall()
        elif mode.startswith("range-"):
            code = int(mode[6:])
            page = b"<html><body>%d</body></html>" % code
            self.send(head_bytes(code, [("Content-Length", str(len(page)))]) + page)
        else:
            self.send(head_bytes(400, [("Content-Length", "0")]))

    def range_head(self, first, last, size):
        return head_bytes(206, [("Content-Type", "application/octet-stream"),
                                ("Content-Length", str(last - first + 1)),
                                ("Content-Range", "bytes %d-%d/%d" % (first, last, size)),
                                ("Connection", "keep-alive")])

    def send_head(self, mode, head):
        if mode == "split-header":
            for i in range(0, len(head), 7):
                if not self.send(head[i:i + 7]):
                    return False
                time.sleep(0.002)
            return True
        return self.send(head)

    def odd_fields(self, mode, fields):
        if mode != "long-header":
            return fields
        odd = [(name.upper() if i % 2 else name.lower(), value) for i, (name, value) in enumerate(fields)]
        return [("X-Padding", "p" * 9000)] + odd

    def answer_whole(self, mode, content):
        fields = self.odd_fields(mode, [("Content-Type", "application/octet-stream"),
                                        ("Content-Length", str(len(content))),
                                        ("Connection", "close")])
        if self.send_head(mode, head_bytes(200, fields)):
            self.send(content)

    def answer_range(self, mode, content, first, last):
        fields = self.odd_fields(mode, [("Content-Type", "application/octet-stream"),
                                        ("Content-Length", str(last - first + 1)),
                                        ("Content-Range", "bytes %d-%d/%d" % (first, last, len(content))),
                                        ("Connection", "keep-alive")])
        if self.send_head(mode, head_bytes(206, fields)):
            self.send(content[first:last + 1])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--ready-file", required=True)
    args = ap.parse_args()
    server = Server(args.root)
    announce(args.ready_file, server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
