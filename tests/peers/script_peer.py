#!/usr/bin/env python3
"""Scripted HTTP peer for the transport tests: byte-exact replies, malformed replies and faults.

  script_peer.py start STATE_DIR   starts the peer in the background on an ephemeral port of
                                    127.0.0.1 and writes STATE_DIR/port and STATE_DIR/pid.
  script_peer.py stop STATE_DIR    ends the peer started there (by its recorded pid).
  script_peer.py serve [--lifetime S]  serves in the foreground, printing the port first.

The peer serves until it is ended, or for at most --lifetime seconds. The request path picks
the script; /echo returns the exact request bytes as the body.
"""
import argparse
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import threading
import time

connections = 0
lock = threading.Lock()


def read_request(conn, buffered=b""):
    """Returns (head, body, rest) of one request, or None when the client closed."""
    data = buffered
    while b"\r\n" not in data or (b" HTTP/" in data.split(b"\r\n", 1)[0] and b"\r\n\r\n" not in data):
        chunk = conn.recv(65536)
        if not chunk:
            return None
        data += chunk
    if b" HTTP/" not in data.split(b"\r\n", 1)[0]:  # an HTTP/0.9 request is one line
        head, rest = data.split(b"\r\n", 1)
        return head + b"\r\n", b"", rest
    head, rest = data.split(b"\r\n\r\n", 1)
    head += b"\r\n\r\n"
    length = 0
    expect = False
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
        if name.strip().lower() == b"expect":
            expect = True
    if expect and b"/refuse-body" in head.split(b"\r\n", 1)[0]:
        return head, b"", rest  # refused: the body never comes
    if expect and length and len(rest) < length:
        conn.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
    while len(rest) < length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        rest += chunk
    return head, rest[:length], rest[length:]


def reset(conn):
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    conn.close()


# Fixed replies: path -> (bytes, keep the connection for another request).
FIXED = {
    "/length": (b"HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 5\r\n\r\nhello", False),
    "/chunked": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                 b"5;ext=1\r\nhello\r\n6\r\n world\r\n0\r\nX-Trailer: t\r\n\r\n", True),
    "/chunked-and-length": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n"
                            b"4\r\nabcd\r\n0\r\n\r\n", True),
    "/bad-chunk": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\nzz\r\nmore\r\n0\r\n\r\n", False),
    "/close": (b"HTTP/1.0 200 OK\r\n\r\nuntil the end", False),
    "/no-blank-length": (b"HTTP/1.0 200 OK\r\nContent-Length:3\r\n\r\nabcdef", False),
    "/negative-length": (b"HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nabcdef", False),
    "/http09": (b"plain old body\nsecond line", False),
    "/204": (b"HTTP/1.0 204 No Content\r\nContent-Length: 5\r\n\r\n", False),
    "/304": (b"HTTP/1.0 304 Not Modified\r\nContent-Length: 5\r\n\r\n", False),
    "/head": (b"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n", False),
    "/interim": (b"HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\nHTTP/1.1 102 Processing\r\n\r\n"
                 b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", True),
    "/long-line": (b"HTTP/1.0 200 " + b"x" * (70 * 1024) + b"\r\n\r\n", False),
    "/cookies": (b"HTTP/1.0 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: B = two \r\n"
                 b"Set-Cookie: c=3\r\nContent-Length: 0\r\n\r\n", False),
    "/cookies-drop": (b"HTTP/1.0 200 OK\r\nSet-Cookie: a=; path=/\r\nSet-Cookie: flag\r\nContent-Length: 0\r\n\r\n", False),
    "/refuse-body": (b"HTTP/1.1 417 Expectation Failed\r\nContent-Length: 4\r\n\r\nnope", False),
}


def reply(conn, path, head, body, number):
    """Answers one request; returns True to keep the connection for another one."""
    send = conn.sendall
    if path in FIXED:
        send(FIXED[path][0])
        return FIXED[path][1]
    if path == "/echo09":
        send(head + body)  # an HTTP/0.9 reply: the bytes alone, then the close
    elif path in ("/echo", "*"):
        data = head + body
        # Announces the close, so that an HTTP/1.1 client does not race it with its next request.
        send(b"HTTP/1.0 200 OK\r\nConnection: close\r\nContent-Length: %d\r\n\r\n" % len(data) + data)
    elif path == "/huge-length":
        send(b"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999\r\n\r\nabc")
        time.sleep(0.5)
    elif path == "/reset":
        send(b"HTTP/1.0 200 OK\r\n\r\npartial")
        time.sleep(0.05)
        reset(conn)
    elif path in ("/keep", "/keep-then-close"):
        # /keep-then-close: a kept-alive reply after which the server closes the idle connection
        # unannounced.
        data = b"connection %d" % number
        send(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(data) + data)
        return path == "/keep"
    elif path == "/stall":
        # Announces 10 bytes, sends 5, stays silent past the client's time-out, then sends the
        # rest and a second reply's worth of bytes on the same connection.
        send(b"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345")
        time.sleep(0.6)
        try:
            send(b"67890HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nstale")
        except OSError:
            pass
        return True
    elif path == "/many-headers":
        try:
            send(b"HTTP/1.0 200 OK\r\n")
            for _ in range(1201):
                send(b"X-Filler: " + b"y" * 1000 + b"\r\n")
            send(b"\r\n")
        except OSError:
            pass
    elif path.startswith("/bytes/"):
        data = bytes((i * 7 + 3) & 0xFF for i in range(int(path[7:])))
        send(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % len(data) + data)
    elif path == "/silent":
        time.sleep(1.0)
    else:
        send(b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")
    return False


def serve(conn):
    global connections
    with lock:
        connections += 1
        number = connections
    buffered = b""
    try:
        while True:
            request = read_request(conn, buffered)
            if request is None:
                break
            head, body, buffered = request
            target = head.split(b"\r\n", 1)[0].split(b" ")
            path = target[1].decode("latin-1") if len(target) > 1 else "/"
            if "://" in path:  # proxy form
                path = "/" + path.split("://", 1)[1].split("/", 1)[-1]
            path = path.split("?", 1)[0]
            if not reply(conn, path, head, body, number):
                break
    except OSError:
        pass
    finally:
        try:
            conn.close()
        except OSError:
            pass


def start(state):
    shutil.rmtree(state, ignore_errors=True)
    os.makedirs(state)
    peer = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", "--lifetime", "1800"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
    port = peer.stdout.readline().decode().strip()
    peer.stdout.close()
    if not port:
        return 1
    with open(os.path.join(state, "pid"), "w") as f:
        f.write("%d\n" % peer.pid)
    with open(os.path.join(state, "port"), "w") as f:
        f.write(port + "\n")
    return 0


def stop(state):
    try:
        with open(os.path.join(state, "pid")) as f:
            os.kill(int(f.read().split()[0]), signal.SIGTERM)
    except (OSError, ValueError, IndexError):
        pass
    return 0


def listen(lifetime):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(64)
    print(server.getsockname()[1], flush=True)
    server.settimeout(0.5)
    end = time.monotonic() + lifetime
    while time.monotonic() < end:
        try:
            conn, _ = server.accept()
        except socket.timeout:
            continue
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=("start", "stop", "serve"))
    parser.add_argument("state", nargs="?")
    parser.add_argument("--lifetime", type=float, default=1800)
    args = parser.parse_args()
    if args.mode == "serve":
        listen(args.lifetime)
        return 0
    if not args.state:
        parser.error("start and stop need STATE_DIR")
    return start(args.state) if args.mode == "start" else stop(args.state)


if __name__ == "__main__":
    sys.exit(main())
