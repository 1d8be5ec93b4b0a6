#!/usr/bin/env python3
"""A stand-in for the AccurateRip database, for tests: serves the answer
files under --root on 127.0.0.1 only.

The first path segment picks how it answers, so one server serves every case:
  /ok/...        the file named by the last four segments (a/b/c/dBAR-....bin), or 404
  /hang/...      accepts the request and never answers
  /garbage/...   200 with bytes that are no answer
  /truncated/... 200 with the file minus its last 5 bytes
  /notfound/...  404
So a client's server address is http://127.0.0.1:PORT/MODE/accuraterip.
The port is chosen by the system and printed (and written to --port-file).
"""
import argparse
import http.server
import os
import sys
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    root = '.'
    quiet = False
    hang_seconds = 120.0

    def log_message(self, fmt, *args):
        if not self.quiet:
            sys.stderr.write('arserver: ' + (fmt % args) + '\n')

    def send(self, status, body=b''):
        self.send_response(status)
        self.send_header('Content-Type', 'application/octet-stream')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        parts = [p for p in self.path.split('?')[0].split('/') if p]
        mode = parts[0] if parts else ''
        if mode == 'hang':
            # Holds the connection open; the client must give up on its own.
            time.sleep(self.hang_seconds)
            return
        if mode == 'notfound':
            return self.send(404, b'not found')
        if mode == 'garbage':
            return self.send(200, b'<html><body>Service unavailable</body></html>\n' * 3)
        if len(parts) < 5 or any(p in ('.', '..') or '\\' in p for p in parts[-4:]):
            return self.send(404, b'not found')
        path = os.path.join(self.root, *parts[-4:])
        try:
            with open(path, 'rb') as f:
                body = f.read()
        except OSError:
            return self.send(404, b'not found')
        if mode == 'truncated':
            return self.send(200, body[:-5])
        if mode == 'ok':
            return self.send(200, body)
        return self.send(404, b'unknown mode')


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--root', required=True, help='folder of a/b/c/dBAR-....bin files')
    ap.add_argument('--port', type=int, default=0)
    ap.add_argument('--port-file')
    ap.add_argument('--hang-seconds', type=float, default=120.0)
    ap.add_argument('--quiet', action='store_true')
    a = ap.parse_args()
    Handler.root = a.root
    Handler.quiet = a.quiet
    Handler.hang_seconds = a.hang_seconds
    server = http.server.ThreadingHTTPServer(('127.0.0.1', a.port), Handler)
    server.daemon_threads = True
    port = server.server_address[1]
    print('arserver listening on 127.0.0.1:%d' % port, flush=True)
    if a.port_file:
        tmp = a.port_file + '.tmp'
        with open(tmp, 'w') as f:
            f.write('%d\n' % port)
        os.replace(tmp, a.port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    main()
