#!/usr/bin/env python3
"""A loopback server that accepts connections and never answers.

usage: silent_server.py PORT_FILE
Writes its port to PORT_FILE, then holds every connection open, reading and
discarding what arrives, until it is killed.
"""
import socket
import sys
import threading


def hold(connection):
    with connection:
        while connection.recv(4096):
            pass


def main():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    with open(sys.argv[1], "w", encoding="ascii") as out:
        out.write(str(listener.getsockname()[1]))
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=hold, args=(connection,), daemon=True).start()


if __name__ == "__main__":
    main()
