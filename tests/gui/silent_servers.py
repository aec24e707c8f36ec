#!/usr/bin/env python3
"""Loopback servers that never answer, for the window's stop test.

TCP on 127.0.0.43:43 (whois), 127.0.0.44:443 (RDAP over HTTPS) and 127.0.0.80:80 (the
update server) accept and read, never
send; each logs "accept PORT TIME" and "closed PORT TIME" (wall clock) to the log file.
127.0.0.45:43 never even accepts: its queue is full, so a connect hangs. 127.0.0.53:53
(UDP and TCP) is a name server that never answers. Runs until killed.
"""
import selectors
import socket
import sys
import time

log = open(sys.argv[1], "a", buffering=1)
sel = selectors.DefaultSelector()
keep = []


def listen(address, port, backlog=16, kind=socket.SOCK_STREAM):
    s = socket.socket(socket.AF_INET, kind)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((address, port))
    if kind == socket.SOCK_STREAM:
        s.listen(backlog)
    keep.append(s)
    return s


for port, address in ((43, "127.0.0.43"), (443, "127.0.0.44"), (80, "127.0.0.80")):
    sel.register(listen(address, port), selectors.EVENT_READ, ("listen", port))
# Silent name server: its datagrams and connections are taken and dropped on the floor.
sel.register(listen("127.0.0.53", 53, kind=socket.SOCK_DGRAM), selectors.EVENT_READ, ("datagram", 53))
sel.register(listen("127.0.0.53", 53), selectors.EVENT_READ, ("listen", 53))
# A full accept queue: connects to it stay unanswered.
stalled = listen("127.0.0.45", 43, backlog=0)
for _ in range(2):
    c = socket.socket()
    c.setblocking(False)
    c.connect_ex(("127.0.0.45", 43))
    keep.append(c)
print("ready", flush=True)

while True:
    for key, _ in sel.select():
        what, port = key.data
        s = key.fileobj
        if what == "listen":
            conn, _ = s.accept()
            sel.register(conn, selectors.EVENT_READ, ("conn", port))
            log.write(f"accept {port} {time.time():.3f}\n")
        elif what == "datagram":
            s.recvfrom(4096)
        else:
            try:
                data = s.recv(4096)
            except OSError:
                data = b""
            if not data:
                sel.unregister(s)
                s.close()
                log.write(f"closed {port} {time.time():.3f}\n")
