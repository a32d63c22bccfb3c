#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in for the online services Liravo talks to, on 127.0.0.1 only.

It answers the music search pages and the MP3 address lookups the way the
player reads them, and serves the MP3 files the lookups point to (silent
MPEG-1 Layer III frames carrying ID3v2 title and artist tags). Tests and demos
start it on a free port and point the player's settings at it: application
"Liravo", section "网络", keys "搜索主机" and "查询主机" = "127.0.0.1:<port>"
("超时毫秒" sets the time limit of each request).

    loopback_server.py [--port N] [--log FILE] [--files DIR] [--hang]
                       [--page-size N] [--seconds S]

The first line on stdout is "PORT <n>". With --log, every request line's
target (path and query as sent, still percent-encoded) is appended to FILE,
one per line. --hang accepts connections and never answers. --files DIR
serves the files under DIR at "/" (anything the other routes do not take).

Extra routes for client tests: /empty (200, no body), /status/<code>
(that status with a small body), /truncated (announces more bytes than it
sends, then closes), /slow (sends a few bytes, then stalls).
"""

import argparse
import html
import os
import posixpath
import socket
import time
import urllib.parse

from mkmp3 import silent_mp3
from testserver import QuietHandler, Server, add_common_options, serve

# (singer, title). Titles with "(" exercise the player's name tidying.
CATALOGUE = [
    ("周杰伦", "稻香"),
    ("周杰伦", "晴天"),
    ("周杰伦", "七里香"),
    ("周杰伦", "夜曲"),
    ("周杰伦", "青花瓷"),
    ("周杰伦", "简单爱"),
    ("周杰伦", "双截棍"),
    ("周杰伦", "告白气球"),
    ("周杰伦", "稻香 (Live)"),
    ("周杰伦", "听妈妈的话"),
    ("周杰伦", "菊花台"),
    ("周杰伦", "发如雪"),
    ("周杰伦", "东风破"),
    ("周杰伦", "彩虹"),
    ("王菲", "红豆"),
    ("王菲", "传奇"),
    ("陈奕迅", "十年"),
    ("陈奕迅", "浮夸"),
    ("", "无名小调"),
    ("Various", "Moon River"),
]

# Songs whose page shows no singer although the file's tag names one, so the
# player has something to fill in from the tags.
TAG_ARTIST = {"无名小调": "佚名"}

NO_RESULT_PAGE = (
    "<html><head><title>搜狗音乐</title><!-- wap --></head><body>"
    "<p>抱歉，没有找到您搜索的歌曲，请换个关键词试试。</p></body></html>"
)

KEYWORD_OPEN = "<span class='keyword'>"
KEYWORD_CLOSE = "</span>"


def highlight(text, keyword):
    if not keyword or keyword not in text:
        return html.escape(text, quote=False)
    parts = text.split(keyword)
    mark = KEYWORD_OPEN + html.escape(keyword, quote=False) + KEYWORD_CLOSE
    return mark.join(html.escape(p, quote=False) for p in parts)


def matches(keyword):
    words = [w for w in keyword.split() if w]
    if not words:
        return []
    return [(i, s, t) for i, (s, t) in enumerate(CATALOGUE)
            if all(w in s or w in t for w in words)]


def search_page(keyword, page, page_size):
    hits = matches(keyword)
    if not hits:
        return NO_RESULT_PAGE
    start = (page - 1) * page_size
    chunk = hits[start:start + page_size]
    out = ["<html><head><title>搜狗音乐 - ", html.escape(keyword, quote=False),
           "</title><!-- wap music --></head><body>\n"]
    for i, singer, title in chunk:
        out.append('<div class="song">\n<a href="/music/play.jsp?id=%d">\t<!-- title -->'
                   % i)
        out.append(highlight(title, keyword))
        out.append("</a>")
        if singer:
            out.append(' - <a href="/music/singerDetail.jsp?singer=%s">'
                       % urllib.parse.quote(singer))
            out.append(highlight(singer, keyword))
            out.append("</a>")
        out.append("\r\n</div>\n")
    # What follows the last result: the block the parser stops at.
    out.append('<div class="more"><a href="/music/fans.jsp"><!-- fans -->'
               "喜欢这首歌的用户<br>还喜欢</a></div>\n")
    if start + page_size < len(hits):
        q = urllib.parse.urlencode({"mode": "1", "v": "2", "p": str(page + 1),
                                    "keyword": keyword})
        out.append('<a href="/music/musicSearchResult.jsp?%s">下一页</a>\n' % q)
    out.append("</body></html>\n")
    return "".join(out)


def song_file_name(index):
    return "s%d.mp3" % index


def lookup_reply(title_value, base):
    """The lookup service's XML for "name$$singer$$$$" or "name$$$$"."""
    value = title_value
    if value.endswith("$$$$"):
        value = value[:-4]
    name, _, singer = value.partition("$$")
    hits = [i for i, (s, t) in enumerate(CATALOGUE)
            if t == name and (not singer or s == singer)]
    if not hits:
        return ('<?xml version="1.0" encoding="utf-8" ?><result><count>0</count>'
                "</result>")
    i = hits[0]
    # Several candidates; for odd songs the first is a WMA so the player has
    # to walk to the second, as it must with the real service.
    cands = []
    if i % 2 == 1:
        cands.append(("%s/wma/%d/x.wma" % (base, i), "s%d.wma" % i))
    cands.append(("%s/mp3/%d/encoded.mp3?xcode=1f3a" % (base, i), song_file_name(i)))
    cands.append(("%s/mp3/%d/alt.mp3" % (base, i), song_file_name(i)))
    out = ['<?xml version="1.0" encoding="utf-8" ?><result><count>%d</count>' % len(cands)]
    for enc, dec in cands:
        out.append("<url><encode><![CDATA[%s]]></encode><decode><![CDATA[%s]]></decode>"
                   "<type>8</type><lrcid>0</lrcid><flag>1</flag></url>" % (enc, dec))
    out.append("<p2p><hash>0</hash><url><![CDATA[]]></url><type>mp3</type><size>0</size>"
               "</p2p></result>")
    return "".join(out)


class Handler(QuietHandler):
    server_version = "LoopbackMusic/1.0"

    def send_body(self, body, status=200, ctype="text/html; charset=utf-8"):
        if isinstance(body, str):
            body = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def base(self):
        return "http://127.0.0.1:%d" % self.server.server_address[1]

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        self.record()
        opts = self.server.options
        parsed = urllib.parse.urlsplit(self.path)
        path = parsed.path
        query = urllib.parse.parse_qs(parsed.query, keep_blank_values=True,
                                      encoding="utf-8", errors="replace")
        if path == "/music/musicSearchResult.jsp":
            try:
                page = int(query.get("p", ["1"])[0])
            except ValueError:
                page = 1
            keyword = query.get("keyword", [""])[0]
            return self.send_body(search_page(keyword, max(1, page), opts.page_size))
        if path == "/x":
            # The title value carries "$$"; take it from the raw query so a
            # "&" typed into a name does not split it differently.
            raw = parsed.query
            title = ""
            if "title=" in raw:
                title = urllib.parse.unquote(raw.split("title=", 1)[1], errors="replace")
            return self.send_body(lookup_reply(title, self.base()),
                                  ctype="text/xml; charset=utf-8")
        if path.startswith("/mp3/"):
            name = posixpath.basename(path)
            for i, (singer, title) in enumerate(CATALOGUE):
                if name == song_file_name(i):
                    artist = singer or TAG_ARTIST.get(title, "")
                    return self.send_body(silent_mp3(opts.seconds, title, artist),
                                          ctype="audio/mpeg")
            return self.send_body("not found", 404, "text/plain; charset=utf-8")
        if path == "/empty":
            return self.send_body(b"")
        if path.startswith("/status/"):
            try:
                code = int(path[len("/status/"):])
            except ValueError:
                code = 500
            return self.send_body("<html>status %d</html>" % code, code)
        if path == "/truncated":
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", "1000")
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(b"only part of it")
            self.wfile.flush()
            self.close_connection = True
            return None
        if path == "/slow":
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"a little")
            self.wfile.flush()
            time.sleep(3600)
            return None
        if opts.files:
            return self.serve_file(opts.files, path)
        return self.send_body("<html>not found</html>", 404)

    def serve_file(self, root, path):
        rel = posixpath.normpath(urllib.parse.unquote(path)).lstrip("/")
        full = os.path.realpath(os.path.join(root, rel))
        root_real = os.path.realpath(root)
        if (full != root_real and not full.startswith(root_real + os.sep)) \
                or not os.path.isfile(full):
            return self.send_body("<html>not found</html>", 404)
        with open(full, "rb") as f:
            data = f.read()
        return self.send_body(data, ctype="application/octet-stream")


def hang_forever(port):
    """Accepts every connection and never answers."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("127.0.0.1", port))
    sock.listen(64)
    print("PORT %d" % sock.getsockname()[1], flush=True)
    held = []
    while True:
        conn, _ = sock.accept()
        held.append(conn)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    add_common_options(ap)
    ap.add_argument("--files")
    ap.add_argument("--hang", action="store_true")
    ap.add_argument("--page-size", type=int, default=10)
    ap.add_argument("--seconds", type=float, default=8.0)
    opts = ap.parse_args()
    if opts.hang:
        hang_forever(opts.port)
        return
    serve(Server, Handler, opts)


if __name__ == "__main__":
    main()
