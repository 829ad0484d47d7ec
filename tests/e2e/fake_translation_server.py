#!/usr/bin/env python3
"""A loopback translation service for the end-to-end tests.

usage: fake_translation_server.py PORT_FILE
Listens on 127.0.0.1 on a free port, writes the port to PORT_FILE, and
answers every GET with "<translation>" + the French for the English text (a
small fixed table, else the text in brackets) + "</translation>", the French
URL-encoded as Windows-1252 bytes. Every request is appended to
PORT_FILE.requests.
"""
import http.server
import sys
import urllib.parse

TABLE = {
    "Hello there": "Bonjour \u00e0 toi",
    "The weather is nice today, my friend": "Il fait beau aujourd'hui, mon ami",
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):  # noqa: N802 (http.server's naming)
        query = urllib.parse.urlsplit(self.path).query
        fields = urllib.parse.parse_qs(query, encoding="cp1252", keep_blank_values=True)
        text = fields.get("text", [""])[0]
        with open(sys.argv[1] + ".requests", "a", encoding="utf-8") as log:
            log.write(self.path + "\n")
        french = TABLE.get(text, "[" + text + "]")
        body = ("<translation>" + urllib.parse.quote(french.encode("cp1252"), safe="") +
                "</translation>").encode("ascii")
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    with open(sys.argv[1], "w", encoding="ascii") as out:
        out.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
