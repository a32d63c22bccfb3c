#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A hostile web server on 127.0.0.1 for Liravo's network tests.

Every answer is one the player must survive: bodies without end, lies about
their length, drips, redirect loops, compressed bombs, broken UTF-8 and
replies with a flood of candidates.

    hostile_server.py [--port N] [--log FILE] [--page-delay S]

The first line on stdout is "PORT <n>". With --log, each request target is
appended to FILE. Routes:

  /endless             200, no length, "a" forever
  /huge-length         announces 2 GiB, then sends "a" forever
  /drip                one byte every 0.1 s, forever
  /reset               half an answer, then a connection reset
  /garbage             no HTTP status line at all
  /redirect-loop       302 to itself
  /redirect-file       302 to file:///etc/passwd
  /redirect-ok         302 to /small
  /small               a short plain page
  /gzip-bomb           64 MiB of zeros gzip-compressed (sent although the
                       client did not ask for gzip)
  /player/version.ini  an endless manifest
  /steady?size=N&chunks=C&delay=S   N bytes in C pieces, S seconds apart
  /stall?size=N        half of N bytes, then silence

Search pages (/music/musicSearchResult.jsp), by keyword:
  invalid      one result page with a stray Latin-1 byte in it
  endless      an endless page
  forever      every page has one result and "下一页", after --page-delay s
  emptynext    page 1 offers "下一页" but its only title is too long

Lookups (/x), by song name (the title value up to "$$"):
  many         100,000 candidates, none an MP3
  endless      an endless reply
"""

import argparse
import gzip
import socket
import struct
import threading
import time
import urllib.parse

from testserver import QuietHandler, Server, add_common_options, serve

CHUNK = b"a" * 65536
NEXT = '<a href="/next">下一页</a>'


def result_page(titles, has_next):
    out = ["<html><head><!-- wap --></head><body>\n"]
    for t in titles:
        out.append('<a href="/p"><!-- t -->%s</a> - '
                   '<a href="/music/singerDetail.jsp?s=x">歌手</a>\n' % t)
    out.append('<a href="/f"><!-- fans -->喜欢这首歌的用户<br></a>\n')
    if has_next:
        out.append(NEXT)
    out.append("</body></html>\n")
    return "".join(out)


def many_candidates(count):
    parts = ['<?xml version="1.0"?><result><count>%d</count>' % count]
    for i in range(count):
        parts.append("<url><encode><![CDATA[http://h.test/d%d/x.wma]]></encode>"
                     "<decode><![CDATA[s%d.wma]]></decode></url>" % (i, i))
    parts.append("</result>")
    return "".join(parts).encode("utf-8")


class Handler(QuietHandler):
    def head(self, status=200, length=None, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        if length is not None:
            self.send_header("Content-Length", str(length))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        for k, v in extra:
            self.send_header(k, v)
        self.end_headers()

    def body(self, data, status=200, extra=()):
        if isinstance(data, str):
            data = data.encode("utf-8")
        self.head(status, len(data), extra)
        self.wfile.write(data)

    def forever(self, piece=CHUNK, delay=0.0):
        try:
            while True:
                self.wfile.write(piece)
                self.wfile.flush()
                if delay:
                    time.sleep(delay)
        except OSError:
            self.close_connection = True

    def do_GET(self):
        self.record()
        parsed = urllib.parse.urlsplit(self.path)
        path = parsed.path
        query = urllib.parse.parse_qs(parsed.query, keep_blank_values=True)
        arg = lambda k, d: query.get(k, [d])[0]
        if path == "/endless":
            self.head()
            return self.forever()
        if path == "/huge-length":
            self.head(length=2 << 30)
            return self.forever()
        if path == "/drip":
            self.head(length=1000000)
            return self.forever(b"a", 0.1)
        if path == "/reset":
            self.head(length=100000)
            self.wfile.write(b"a" * 1000)
            self.wfile.flush()
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
            return None
        if path == "/garbage":
            self.wfile.write(b"NOT HTTP AT ALL\r\n\r\nstill not\r\n")
            self.close_connection = True
            return None
        if path == "/redirect-loop":
            return self.body("", 302, [("Location", "/redirect-loop")])
        if path == "/redirect-file":
            return self.body("", 302, [("Location", "file:///etc/passwd")])
        if path == "/redirect-ok":
            return self.body("", 302, [("Location", "/small")])
        if path == "/small":
            return self.body("<html>small</html>")
        if path == "/gzip-bomb":
            return self.body(self.server.bomb(), extra=[("Content-Encoding", "gzip")])
        if path == "/steady":
            size, chunks = int(arg("size", "1000")), int(arg("chunks", "10"))
            delay = float(arg("delay", "0.1"))
            self.head(length=size)
            sent = 0
            for i in range(chunks):
                n = size // chunks if i < chunks - 1 else size - sent
                self.wfile.write(bytes([i % 256]) * n)
                self.wfile.flush()
                sent += n
                if i < chunks - 1:
                    time.sleep(delay)
            return None
        if path == "/stall":
            size = int(arg("size", "1000"))
            self.head(length=size)
            self.wfile.write(b"s" * (size // 2))
            self.wfile.flush()
            time.sleep(3600)
            return None
        if path == "/player/version.ini":
            self.head()
            return self.forever(b"\xd7\xee\xd0\xc2" * 16384)
        if path == "/music/musicSearchResult.jsp":
            return self.search(arg("keyword", ""), int(arg("p", "1")))
        if path == "/x":
            name = urllib.parse.unquote(parsed.query.split("title=", 1)[-1]).split("$$")[0]
            if name == "many":
                return self.body(self.server.many())
            if name == "endless":
                self.head()
                return self.forever()
            return self.body("<result><count>0</count></result>")
        return self.body("<html>not found</html>", 404)

    def search(self, keyword, page):
        if keyword == "invalid":
            data = result_page(["稻香", "晴天"], False).encode("utf-8")
            # A stray Latin-1 "é" between the two results.
            cut = data.index(b"</a>\n") + 5
            return self.body(data[:cut] + b"caf\xe9\n" + data[cut:])
        if keyword == "endless":
            self.head()
            return self.forever()
        if keyword == "forever":
            time.sleep(self.server.options.page_delay)
            return self.body(result_page(["第%d页" % page], True))
        if keyword == "emptynext":
            if page == 1:
                return self.body(result_page(["长" * 40], True))
            return self.body(result_page(["第二页的歌"], False))
        return self.body("<p>抱歉，没有找到您搜索的歌曲</p>")


class HostileServer(Server):
    def handle_error(self, request, client_address):
        pass  # clients hanging up on us is the point

    def __init__(self, *args):
        super().__init__(*args)
        self.lock = threading.Lock()
        self.cached = {}

    def once(self, key, make):
        with self.lock:
            if key not in self.cached:
                self.cached[key] = make()
            return self.cached[key]

    def bomb(self):
        return self.once("bomb", lambda: gzip.compress(b"\0" * (64 << 20), 1))

    def many(self):
        return self.once("many", lambda: many_candidates(100000))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    add_common_options(ap)
    ap.add_argument("--page-delay", type=float, default=0.3)

    def make_ahead(server):
        # Made ahead, so asking for them does not wait on their making.
        threading.Thread(target=lambda: (server.bomb(), server.many()), daemon=True).start()

    serve(HostileServer, Handler, ap.parse_args(), make_ahead)


if __name__ == "__main__":
    main()
