#!/usr/bin/env python3
"""A CDDB server over HTTP for tests, on 127.0.0.1 only.

Answers "cddb query" and "cddb read" like the public cddb.cgi, from xmcd
records in folders (DIR/<category>/<discid> or any file with DISCID=) and
from records generated for CUE/BIN disc images. The first path segment of
the request can pick a test behaviour, so one server serves them all:

  /~cddb/cddb.cgi                  normal service
  /force202/~cddb/cddb.cgi         no match
  /force210/...                    several exact matches, ours first
  /force211/...                    inexact matches
  /cddbNNN/...                     CDDB status NNN for every command (403, 500, ...)
  /httpNNN/...                     HTTP status NNN
  /readfail/...                    query answered, read gives 401
  /hang/...                        accepts, reads the request, never answers
  /slow/...                        answers after --slow-seconds
  /close/...                       closes the connection without an answer
  /garbage/...                     random bytes
  /truncated/...                   the record is cut short, no "." line
  /oversize/...                    a 2 MiB answer
  /latin1/...                      the record in Latin-1 whatever the proto
  /echo/...                        titles repeat the hello, proto and command

  cddb_server.py [--port N|0] [--port-file F] [--records DIR]... [--disc-image CUE]...
                 [--mode MODE] [--slow-seconds S] [--log FILE]
"""
import argparse
import http.server
import json
import os
import random
import re
import signal
import sys
import threading
import urllib.parse

FPS = 75
LEAD_IN = 150
SECTOR = 2352
TERM = "(until terminating `.')"
STOP = threading.Event()


def digit_sum(n):
    return sum(int(c) for c in str(n))


def disc_id(offsets, length_seconds):
    """offsets: absolute frames (with the lead-in); length: lead-out seconds."""
    n = sum(digit_sum(o // FPS) for o in offsets)
    t = length_seconds - offsets[0] // FPS
    return "%08x" % (((n % 255) << 24) | (t << 8) | len(offsets))


class Record:
    def __init__(self, category, discids, text, offsets=None, length=None):
        self.category = category
        self.discids = [d.lower() for d in discids]
        self.text = text  # str; lines without the "." terminator
        self.offsets = offsets or []
        self.length = length

    def title(self):
        parts = [m.group(1) for m in re.finditer(r"^DTITLE=(.*)$", self.text, re.M)]
        return "".join(parts) or "Unknown / Unknown"


def parse_record_file(path, category):
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        text = raw.decode("latin-1")
    ids = []
    for m in re.finditer(r"^DISCID=(.*)$", text, re.M):
        ids += [d.strip() for d in m.group(1).split(",") if d.strip()]
    if not ids:
        return None
    offsets = [int(m.group(1)) for m in re.finditer(r"^#\s+(\d+)\s*$", text, re.M)]
    lm = re.search(r"^# Disc length:\s*(\d+)", text, re.M)
    return Record(category, ids, text.rstrip("\r\n").replace("\r\n", "\n"), offsets, int(lm.group(1)) if lm else None)


def load_records(folder):
    out = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(root, name)
            rel = os.path.relpath(root, folder)
            category = rel.split(os.sep)[0] if rel != "." else "misc"
            rec = parse_record_file(path, category)
            if rec:
                out.append(rec)
    return out


def cue_toc(cue_path):
    """Absolute frame offsets and lead-out frames of a CUE sheet with raw BIN
    files, laid out as the CD reader does: track 1's INDEX 01 is LBA 0 and
    PREGAP/POSTGAP add silent frames. Data tracks count as the protocol says:
    an Enhanced CD's last track and a mixed-mode CD's first are in the ID."""
    folder = os.path.dirname(os.path.abspath(cue_path))
    starts, base, file_start, gap = [], 0, 0, 0
    with open(cue_path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    any_audio = False
    msf = lambda m: (int(m.group(1)) * 60 + int(m.group(2))) * FPS + int(m.group(3))
    for line in lines:
        words = line.strip()
        m = re.match(r'FILE\s+"?(.*?)"?\s+\w+$', words, re.I)
        if m:
            file_start = base
            base += os.path.getsize(os.path.join(folder, m.group(1))) // SECTOR
            continue
        m = re.match(r"TRACK\s+\d+\s+(\w+)", words, re.I)
        if m:
            any_audio = any_audio or m.group(1).upper() == "AUDIO"
            continue
        m = re.match(r"(PREGAP|POSTGAP)\s+(\d+):(\d+):(\d+)", words, re.I)
        if m:
            gap += (int(m.group(2)) * 60 + int(m.group(3))) * FPS + int(m.group(4))
            continue
        m = re.match(r"INDEX\s+01\s+(\d+):(\d+):(\d+)", words, re.I)
        if m:
            starts.append(file_start + gap + msf(m))
    if not any_audio:
        raise ValueError("%s: no audio tracks" % cue_path)
    origin = starts[0]
    return [x - origin + LEAD_IN for x in starts], base + gap - origin + LEAD_IN


def record_for_image(cue_path):
    offsets, leadout = cue_toc(cue_path)
    length = leadout // FPS
    did = disc_id(offsets, length)
    stem = os.path.splitext(os.path.basename(cue_path))[0]
    side = os.path.splitext(cue_path)[0] + ".xmcd"
    if os.path.exists(side):
        rec = parse_record_file(side, "misc")
        if rec:
            rec.discids = [did]
            rec.offsets, rec.length = offsets, length
            return rec
    lines = ["# xmcd", "#", "# Track frame offsets:"] + ["#\t%d" % o for o in offsets]
    lines += ["#", "# Disc length: %d seconds" % length, "#", "# Revision: 0", "#", "DISCID=" + did,
              "DTITLE=Test Bed Artist / %s" % stem, "DYEAR=2024", "DGENRE=Test"]
    lines += ["TTITLE%d=Track %02d of %s" % (i, i + 1, stem) for i in range(len(offsets))]
    lines += ["EXTD="] + ["EXTT%d=" % i for i in range(len(offsets))] + ["PLAYORDER="]
    return Record("misc", [did], "\n".join(lines), offsets, length)


class Db:
    def __init__(self, records):
        self.records = records

    def exact(self, did):
        return [r for r in self.records if did in r.discids]

    def fuzzy(self, offsets, length):
        out = []
        for r in self.records:
            if len(r.offsets) == len(offsets) and all(abs(a - b) <= 4 * FPS for a, b in zip(r.offsets, offsets)):
                out.append(r)
        return out

    def find(self, category, did):
        for r in self.records:
            if r.category == category and did in r.discids:
                return r
        return None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "cddb-test-server/1.0"

    def log_message(self, fmt, *args):
        if not self.server.quiet:
            sys.stderr.write("cddb_server: " + (fmt % args) + "\n")

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        self.handle_cddb(url.path, url.query)

    def do_POST(self):
        n = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(min(n, 1 << 16)).decode("latin-1")
        self.handle_cddb(urllib.parse.urlsplit(self.path).path, body)

    def send_text(self, text, status=200, encoding="utf-8"):
        data = text if isinstance(text, bytes) else text.encode(encoding, errors="replace")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=%s" % ("UTF-8" if encoding == "utf-8" else "ISO-8859-1"))
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def handle_cddb(self, path, query):
        segs = [s for s in path.split("/") if s]
        mode = self.server.mode
        if segs and segs[0] not in ("~cddb", "cddb.cgi"):
            mode = segs[0]
        form = urllib.parse.parse_qs(query, keep_blank_values=True)
        cmd = form.get("cmd", [""])[0]
        hello = form.get("hello", [""])[0]
        proto = form.get("proto", ["1"])[0]
        if self.server.log_path:
            with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as f:
                f.write(json.dumps({"mode": mode, "cmd": cmd, "hello": hello, "proto": proto}) + "\n")
        encoding = "utf-8" if proto.isdigit() and int(proto) >= 6 else "latin-1"

        if mode == "hang":
            STOP.wait(3600)
            self.close_connection = True
            return
        if mode == "close":
            self.close_connection = True
            return
        if mode == "slow":
            if STOP.wait(self.server.slow_seconds):
                return
        m = re.fullmatch(r"http(\d{3})", mode)
        if m:
            self.send_text("%s forced HTTP status\r\n" % m.group(1), int(m.group(1)))
            return
        m = re.fullmatch(r"cddb(\d{3})", mode)
        if m:
            self.send_text("%s Forced error.\r\n" % m.group(1))
            return
        if mode == "garbage":
            rnd = random.Random(len(cmd))
            self.send_text(bytes(rnd.randrange(256) for _ in range(4096)))
            return
        if mode == "oversize":
            line = "TTITLE0=" + "x" * 70 + "\r\n"
            self.send_text("210 misc 00000000 CD database entry follows %s\r\n" % TERM + line * (2 * 1024 * 1024 // len(line)))
            return
        words = cmd.split()
        if len(words) < 2 or words[0].lower() != "cddb":
            self.send_text("500 Unrecognized command.\r\n", encoding=encoding)
            return
        if len(hello.split()) != 4:
            self.send_text("409 No handshake.\r\n", encoding=encoding)
            return
        verb = words[1].lower()
        if verb == "query":
            self.send_text(self.query(words[2:], mode, hello, proto), encoding=encoding)
        elif verb == "read":
            text = self.read(words[2:], mode, hello, proto)
            self.send_text(text, encoding="latin-1" if mode == "latin1" else encoding)
        else:
            self.send_text("500 Unrecognized command.\r\n", encoding=encoding)

    def query(self, args, mode, hello, proto):
        try:
            did = args[0].lower()
            n = int(args[1])
            offsets = [int(x) for x in args[2:2 + n]]
            length = int(args[2 + n])
            if n < 1 or len(offsets) != n or len(args) != n + 3 or not re.fullmatch(r"[0-9a-f]{8}", did):
                raise ValueError
        except (ValueError, IndexError):
            return "500 Command syntax error.\r\n"
        if mode == "echo":
            return "200 misc %s %s\r\n" % (did, hello)
        if mode == "force202":
            return "202 No match for disc ID %s.\r\n" % did
        db = self.server.db
        hits = db.exact(did)
        if mode == "force210":
            hits = hits or db.fuzzy(offsets, length)
            lines = ["%s %s %s" % (r.category, did, r.title()) for r in hits]
            lines.append("zzdecoy %s Decoy Artist / Not This One" % did)
            return "210 Found exact matches, list follows %s\r\n" % TERM + "\r\n".join(lines) + "\r\n.\r\n"
        if mode == "force211" or not hits:
            near = hits or db.fuzzy(offsets, length)
            if not near:
                return "202 No match for disc ID %s.\r\n" % did
            lines = ["%s %s %s" % (r.category, r.discids[0], r.title()) for r in near]
            return "211 Found inexact matches, list follows %s\r\n" % TERM + "\r\n".join(lines) + "\r\n.\r\n"
        if len(hits) > 1:
            lines = ["%s %s %s" % (r.category, did, r.title()) for r in hits]
            return "210 Found exact matches, list follows %s\r\n" % TERM + "\r\n".join(lines) + "\r\n.\r\n"
        return "200 %s %s %s\r\n" % (hits[0].category, did, hits[0].title())

    def read(self, args, mode, hello, proto):
        if len(args) != 2:
            return "500 Command syntax error.\r\n"
        category, did = args[0], args[1].lower()
        if mode == "echo":
            body = "DISCID=%s\r\nDTITLE=%s / proto %s\r\nTTITLE0=%s\r\n" % (did, hello, proto, "cddb read " + " ".join(args))
            return "210 %s %s CD database entry follows %s\r\n%s.\r\n" % (category, did, TERM, body)
        if mode == "readfail":
            return "401 %s %s No such CD entry in database.\r\n" % (category, did)
        if category == "zzdecoy":
            body = "DISCID=%s\nDTITLE=Decoy Artist / Not This One\nTTITLE0=Wrong" % did
        else:
            rec = self.server.db.find(category, did)
            if not rec:
                return "401 %s %s No such CD entry in database.\r\n" % (category, did)
            body = rec.text
        text = "210 %s %s CD database entry follows %s\r\n" % (category, did, TERM) + body.replace("\n", "\r\n") + "\r\n"
        if mode == "truncated":
            return text[: len(text) // 2]
        return text + ".\r\n"


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    ap = argparse.ArgumentParser(description="CDDB test server on 127.0.0.1")
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--port-file")
    ap.add_argument("--records", action="append", default=[])
    ap.add_argument("--disc-image", action="append", default=[])
    ap.add_argument("--mode", default="normal")
    ap.add_argument("--slow-seconds", type=float, default=3.0)
    ap.add_argument("--log")
    ap.add_argument("--quiet", action="store_true")
    a = ap.parse_args()

    records = []
    for d in a.records:
        records += load_records(d)
    for cue in a.disc_image:
        records.append(record_for_image(cue))

    srv = Server(("127.0.0.1", a.port), Handler)
    srv.db = Db(records)
    srv.mode = a.mode
    srv.slow_seconds = a.slow_seconds
    srv.log_path = a.log
    srv.log_lock = threading.Lock()
    srv.quiet = a.quiet
    port = srv.server_address[1]
    if a.port_file:
        tmp = a.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, a.port_file)
    print("cddb_server: %d records, listening on http://127.0.0.1:%d/~cddb/cddb.cgi" % (len(records), port), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        srv.serve_forever()
    except (KeyboardInterrupt, SystemExit):
        pass
    finally:
        STOP.set()
        srv.server_close()


if __name__ == "__main__":
    main()
