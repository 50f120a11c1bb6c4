#!/usr/bin/env python3
"""A local widget host for the popup benchmark: each widget path answers a small page."""
import http.server
import sys

PAGE = """<!doctype html><html><body style="font-family: sans-serif; padding: 16px">
<h2>%s</h2><p>Visitors online: <b>42</b></p>
<p><a href="/visitor?id=1" target="_blank">A visitor (opens a new window)</a></p>
</body></html>"""
TITLES = {"/widget/wp3.2.php": "Overview", "/widget/wp-map.php": "Map",
          "/widget/wp-dashboard.php": "Recent Visitors"}


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        path = self.path.split("?")[0]
        body = (PAGE % TITLES.get(path, "Not a widget")).encode()
        self.send_response(200 if path in TITLES else 404)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        sys.stderr.write("widget host: %s\n" % (fmt % args))


http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Handler).serve_forever()
