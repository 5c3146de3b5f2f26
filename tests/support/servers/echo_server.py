#!/usr/bin/env python3
"""Tiny HTTP server used to check the test harness itself: answers every GET
with the request path as the body."""
import argparse
import http.server
import sys

sys.path.insert(0, __import__("os").path.dirname(__file__))
from readiness import announce  # noqa: E402


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = self.path.encode()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ready-file", required=True)
    args = ap.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    announce(args.ready_file, server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
