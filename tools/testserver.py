# SPDX-License-Identifier: GPL-3.0-or-later
"""What the loopback and hostile test servers share: a quiet handler that
appends each request target to --log, a threaded server on 127.0.0.1 and the
start-up that prints "PORT <n>" as the first line on stdout."""

import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class QuietHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def record(self):
        log = self.server.options.log
        if log:
            with self.server.log_lock, open(log, "a", encoding="utf-8") as f:
                f.write(self.path + "\n")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def add_common_options(ap):
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--log")


def serve(server_class, handler_class, opts, before_serving=None):
    """Serves until interrupted; before_serving runs once the port is told."""
    server = server_class(("127.0.0.1", opts.port), handler_class)
    server.options = opts
    server.log_lock = threading.Lock()
    print("PORT %d" % server.server_address[1], flush=True)
    if before_serving:
        before_serving(server)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
