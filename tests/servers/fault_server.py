#!/usr/bin/env python3
"""Scripted HTTPS server for the engine's fault tests (stdlib only).

The first path segment picks a behaviour; whatever follows its arguments is
ignored, so the engine can append file names to a base URL. The endpoints are
listed in README.md beside this file.
"""

import argparse
import base64
import binascii
import fcntl
import http
import os
import socket
import socketserver
import ssl
import struct
import sys
import termios
import threading
import time
import urllib.parse

PATTERN_PERIOD = 251  # prime, so the pattern never lines up with buffer sizes
PATTERN = bytes(i % PATTERN_PERIOD for i in range(PATTERN_PERIOD * 256))
CHUNK = 64 * 1024
MAX_HEAD = 64 * 1024
IDLE_TIMEOUT = 60.0
MAX_SLOW_BODY = 16 * 1024 * 1024


class BadRequest(Exception):
    pass


# ---- Bodies -------------------------------------------------------------------

def pattern_chunks(count, offset=0):
    """Byte i of the pattern is i % 251."""
    while count > 0:
        start = offset % PATTERN_PERIOD
        piece = min(count, len(PATTERN) - start, CHUNK)
        yield PATTERN[start:start + piece]
        offset += piece
        count -= piece


def fill_chunks(count, byte):
    block = bytes([byte]) * min(max(count, 0), CHUNK)
    while count > 0:
        piece = min(count, CHUNK)
        yield block[:piece]
        count -= piece


def file_chunks(path):
    with open(path, "rb") as f:
        while True:
            data = f.read(CHUNK)
            if not data:
                return
            yield data


# ---- Responses ------------------------------------------------------------------

class Response:
    """What to send and how the connection ends afterwards.

    ending: "keep" (connection stays open), "close" (close_notify, then FIN),
    "eof" (FIN without close_notify) or "rst" (TCP reset).
    """

    def __init__(self, status, body=b"", length=None, content_type="text/plain",
                 headers=None, ending="keep", chunked=False, terminated=True):
        self.status = status
        self.content_type = content_type
        self.headers = list(headers or [])
        self.ending = ending
        self.chunked = chunked
        self.terminated = terminated  # chunked: whether the last-chunk marker is sent
        if isinstance(body, bytes):
            self.chunks = [body] if body else []
            self.length = len(body) if length is None else length
        else:
            self.chunks = body
            self.length = length
        self.delay = 0.0
        self.trickle = 0.0


def reason_of(code):
    try:
        return http.HTTPStatus(code).phrase
    except ValueError:
        return "Unknown"


def html_status(code):
    if code in (204, 304):
        return Response(code)  # these carry no body
    reason = reason_of(code)
    body = ("<html><head><title>%d %s</title></head><body><h1>%d %s</h1></body></html>\n"
            % (code, reason, code, reason)).encode()
    return Response(code, body, content_type="text/html")


def number(text, name):
    try:
        value = int(text)
    except ValueError:
        raise BadRequest("%s must be a whole number, got %r" % (name, text))
    if value < 0:
        raise BadRequest("%s must not be negative" % name)
    return value


def seconds(text):
    try:
        value = float(text)
    except ValueError:
        raise BadRequest("seconds must be a number, got %r" % text)
    if not 0 <= value <= 600:
        raise BadRequest("seconds must be between 0 and 600")
    return value


def args_of(segments, count, usage):
    if len(segments) < count:
        raise BadRequest("usage: " + usage)
    return segments[:count], segments[count:]


# ---- Behaviours -------------------------------------------------------------------
# Each takes (server, raw head bytes, segments after its own name) and returns a
# Response.

def do_status(server, head, rest):
    (code,), _ = args_of(rest, 1, "/status/<code>/...")
    code = number(code, "code")
    if not 200 <= code <= 599:
        raise BadRequest("status must be between 200 and 599")
    return html_status(code)


def truncated(rest, usage, ending):
    (sent, declared), _ = args_of(rest, 2, usage)
    sent, declared = number(sent, "sent"), number(declared, "declared")
    return Response(200, pattern_chunks(sent), length=declared,
                    content_type="application/octet-stream", ending=ending)


def do_cut(server, head, rest):
    return truncated(rest, "/cut/<sent>/<declared>/...", "close")


def do_eof(server, head, rest):
    return truncated(rest, "/eof/<sent>/<declared>/...", "eof")


def do_reset(server, head, rest):
    return truncated(rest, "/reset/<sent>/<declared>/...", "rst")


def do_echo(server, head, rest):
    return Response(200, head)


def do_body(server, head, rest):
    (text,), _ = args_of(rest, 1, "/body/<hex>/...")
    try:
        data = binascii.unhexlify(text)
    except (binascii.Error, ValueError):
        raise BadRequest("body must be hex digits")
    return Response(200, data, content_type="application/octet-stream")


def do_body64(server, head, rest):
    (text,), _ = args_of(rest, 1, "/body64/<base64url>/...")
    try:
        data = base64.urlsafe_b64decode(text + "=" * (-len(text) % 4))
    except (binascii.Error, ValueError):
        raise BadRequest("body64 must be base64url")
    return Response(200, data, content_type="application/octet-stream")


def do_size(server, head, rest):
    (count,), _ = args_of(rest, 1, "/size/<n>/...")
    count = number(count, "n")
    return Response(200, pattern_chunks(count), length=count,
                    content_type="application/octet-stream")


def do_sized(server, head, rest):
    (count, fill), _ = args_of(rest, 2, "/sized/<n>/<fill-byte-hex>/...")
    count = number(count, "n")
    try:
        byte = int(fill, 16)
    except ValueError:
        byte = -1
    if not 0 <= byte <= 255:
        raise BadRequest("fill byte must be two hex digits")
    return Response(200, fill_chunks(count, byte), length=count,
                    content_type="application/octet-stream")


def do_chunked(server, head, rest):
    (count,), _ = args_of(rest, 1, "/chunked/<n>/...")
    count = number(count, "n")
    return Response(200, pattern_chunks(count), content_type="application/octet-stream",
                    chunked=True)


def do_chunked_cut(server, head, rest):
    (count,), _ = args_of(rest, 1, "/chunked-cut/<sent>/...")
    count = number(count, "sent")
    return Response(200, pattern_chunks(count), content_type="application/octet-stream",
                    chunked=True, terminated=False, ending="close")


def do_nolength(server, head, rest):
    (count,), _ = args_of(rest, 1, "/nolength/<n>/...")
    count = number(count, "n")
    return Response(200, pattern_chunks(count), content_type="application/octet-stream",
                    headers=[("Connection", "close")], ending="close")


def redirect(location):
    body = ('<html><body><a href="%s">moved</a></body></html>\n' % location).encode()
    return Response(302, body, content_type="text/html", headers=[("Location", location)])


def do_redirect_http(server, head, rest):
    if not server.plain_port:
        raise BadRequest("this server has no plain-http listener")
    return redirect("http://localhost:%d/%s" % (server.plain_port, "/".join(rest)))


def do_redirect(server, head, rest):
    return redirect("https://localhost:%d/%s" % (server.server_address[1], "/".join(rest)))


def do_slow(server, head, rest):
    (duration,), inner = args_of(rest, 1, "/slow/<seconds>/<behaviour>/...")
    duration = seconds(duration)
    response = route(server, head, inner)
    if response.length is not None and response.length > MAX_SLOW_BODY:
        raise BadRequest("slow bodies are limited to %d bytes" % MAX_SLOW_BODY)
    response.chunks = [b"".join(response.chunks)]
    response.trickle = duration
    return response


def do_delay(server, head, rest):
    (duration,), inner = args_of(rest, 1, "/delay/<seconds>/<behaviour>/...")
    duration = seconds(duration)
    response = route(server, head, inner)
    response.delay = duration
    return response


def do_files(server, head, rest):
    if not server.docroot:
        raise BadRequest("this server has no document root")
    try:
        names = [os.fsdecode(urllib.parse.unquote_to_bytes(s)) for s in rest]
    except UnicodeError:
        return html_status(404)
    if any(n in ("..", ".") or "/" in n or "\0" in n for n in names):
        return html_status(404)
    path = os.path.join(server.docroot, *names)
    if not os.path.isfile(path):
        return html_status(404)
    try:
        size = os.path.getsize(path)
        open(path, "rb").close()
    except OSError:
        return html_status(403)
    return Response(200, file_chunks(path), length=size,
                    content_type="application/octet-stream")


def do_log(server, head, rest):
    return Response(200, server.request_log.text().encode())


def do_clear(server, head, rest):
    server.request_log.clear()
    return Response(200, b"cleared\n")


BEHAVIOURS = {
    "status": do_status, "cut": do_cut, "eof": do_eof, "reset": do_reset,
    "echo": do_echo, "body": do_body, "body64": do_body64, "size": do_size,
    "sized": do_sized, "chunked": do_chunked, "chunked-cut": do_chunked_cut,
    "nolength": do_nolength, "redirect-http": do_redirect_http, "redirect": do_redirect,
    "slow": do_slow, "delay": do_delay, "files": do_files,
    "__log": do_log, "__clear": do_clear,
}
UNLOGGED = ("/__log", "/__clear")  # reading the log must not change it


def route(server, head, segments):
    if not segments or segments[0] not in BEHAVIOURS:
        return html_status(404)
    return BEHAVIOURS[segments[0]](server, head, segments[1:])


def split_target(target):
    path = target.split("?", 1)[0]
    if not path.startswith("/"):
        raise BadRequest("request target must be a path")
    return path[1:].split("/")


# ---- Request log --------------------------------------------------------------------

class RequestLog:
    """Raw request lines, oldest first; mirrored to a file for people."""

    def __init__(self, path):
        self.lock = threading.Lock()
        self.lines = []
        self.path = path

    def add(self, line):
        with self.lock:
            self.lines.append(line)
            self.write_file(line + "\n")

    def clear(self):
        with self.lock:
            self.lines = []
            self.write_file("-- cleared --\n")

    def text(self):
        with self.lock:
            return "".join(line + "\n" for line in self.lines)

    def write_file(self, text):
        if self.path:
            with open(self.path, "a", encoding="utf-8", errors="backslashreplace") as f:
                f.write(text)


# ---- Connection handling ---------------------------------------------------------------

class Connection:
    def __init__(self, sock):
        self.sock = sock
        self.buffer = b""

    def read_head(self):
        """The request's head up to and including the blank line; None at EOF."""
        while b"\r\n\r\n" not in self.buffer:
            if len(self.buffer) > MAX_HEAD:
                raise BadRequest("request head too large")
            data = self.sock.recv(CHUNK)
            if not data:
                return None
            self.buffer += data
        end = self.buffer.index(b"\r\n\r\n") + 4
        head, self.buffer = self.buffer[:end], self.buffer[end:]
        return head

    def skip_body(self, length):
        while len(self.buffer) < length:
            data = self.sock.recv(CHUNK)
            if not data:
                raise BadRequest("request body cut short")
            self.buffer += data
        self.buffer = self.buffer[length:]


def parse_head(head):
    lines = head[:-4].decode("latin-1").split("\r\n")
    parts = lines[0].split(" ")
    if len(parts) != 3 or not parts[2].startswith("HTTP/1."):
        raise BadRequest("malformed request line")
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    return parts[0], parts[1], parts[2], headers


def wants_keep_alive(version, headers):
    connection = headers.get("connection", "").lower()
    if version == "HTTP/1.0":
        return connection == "keep-alive"
    return connection != "close"


def header_bytes(response, keep_alive):
    reason = reason_of(response.status)
    lines = ["HTTP/1.1 %d %s" % (response.status, reason),
             "Server: mok-fault-server",
             "Content-Type: " + response.content_type]
    if response.chunked:
        lines.append("Transfer-Encoding: chunked")
    elif response.length is not None and response.status not in (204, 304):
        lines.append("Content-Length: %d" % response.length)
    lines += ["%s: %s" % pair for pair in response.headers]
    if not keep_alive and not any(n.lower() == "connection" for n, _ in response.headers):
        lines.append("Connection: close")
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


def trickled(chunks, duration):
    """The body in pieces spread evenly over `duration` seconds."""
    data = b"".join(chunks)
    pieces = max(1, min(len(data), int(duration * 10)))
    step = -(-len(data) // pieces) if data else 0
    for i in range(pieces):
        time.sleep(duration / pieces)
        piece = data[i * step:(i + 1) * step]
        if piece:
            yield piece


def send_response(sock, response, keep_alive, is_head):
    if response.delay:
        time.sleep(response.delay)
    sock.sendall(header_bytes(response, keep_alive))
    if is_head:
        return
    chunks = response.chunks
    if response.trickle:
        chunks = trickled(chunks, response.trickle)
    for chunk in chunks:
        if response.chunked:
            sock.sendall(b"%x\r\n%s\r\n" % (len(chunk), chunk))
        else:
            sock.sendall(chunk)
    if response.chunked and response.terminated:
        sock.sendall(b"0\r\n\r\n")


def wait_until_acknowledged(sock, limit=5.0):
    """A reset discards unsent data, so let the peer take every byte first."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        queued = struct.unpack("i", fcntl.ioctl(sock.fileno(), termios.TIOCOUTQ,
                                                struct.pack("i", 0)))[0]
        if queued == 0:
            return
        time.sleep(0.005)


def drain_and_close(sock):
    """Half-close, then read until the peer closes: closing with unread data
    pending would turn the FIN into a reset."""
    try:
        sock.shutdown(socket.SHUT_WR)
        sock.settimeout(2.0)
        while sock.recv(CHUNK):
            pass
    except OSError:
        pass
    sock.close()


def end_connection(sock, ending):
    if ending == "rst":
        wait_until_acknowledged(sock)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        sock.close()
        return
    if ending != "eof" and isinstance(sock, ssl.SSLSocket):
        # unwrap() waits for the peer's close_notify; a short time-out bounds
        # that wait, and our own close_notify is already on the wire by then.
        sock.settimeout(0.5)
        try:
            sock.unwrap()
        except (OSError, ValueError):
            pass
    drain_and_close(sock)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        sock = self.request
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        sock.settimeout(IDLE_TIMEOUT)
        if self.server.tls_context:
            try:
                sock = self.server.tls_context.wrap_socket(sock, server_side=True)
            except (ssl.SSLError, OSError) as error:
                print("TLS handshake failed: %s" % error, file=sys.stderr, flush=True)
                return
        ending = "close"
        try:
            ending = self.serve(Connection(sock))
        except (OSError, ssl.SSLError):
            ending = "eof"
        finally:
            end_connection(sock, ending)

    def serve(self, connection):
        while True:
            try:
                head = connection.read_head()
            except BadRequest as error:
                send_response(connection.sock, Response(400, ("%s\n" % error).encode()),
                              False, False)
                return "close"
            if head is None:
                return "eof"
            self.log(head)
            response, keep_alive, is_head = self.answer(connection, head)
            send_response(connection.sock, response, keep_alive, is_head)
            if response.ending != "keep" or not keep_alive:
                return response.ending if response.ending != "keep" else "close"

    def answer(self, connection, head):
        try:
            method, target, version, headers = parse_head(head)
            keep_alive = wants_keep_alive(version, headers)
            connection.skip_body(number(headers.get("content-length", "0"), "Content-Length"))
            return self.server.respond(head, target), keep_alive, method == "HEAD"
        except BadRequest as error:
            response = Response(400, ("%s\n" % error).encode())
            return response, False, False

    def log(self, head):
        line = head.split(b"\r\n", 1)[0].decode("latin-1")
        target = line.split(" ")[1] if line.count(" ") >= 2 else ""
        if self.server.log_prefix or target.split("?", 1)[0] not in UNLOGGED:
            self.server.request_log.add(self.server.log_prefix + line)


class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, port, tls_context, request_log, docroot=None, plain_port=None,
                 log_prefix=""):
        super().__init__(("127.0.0.1", port), Handler)
        self.tls_context = tls_context
        self.request_log = request_log
        self.docroot = docroot
        self.plain_port = plain_port
        self.log_prefix = log_prefix

    def respond(self, head, target):
        return route(self, head, split_target(target))


class PlainServer(Server):
    """The plain-http target of /redirect-http/: answers "plain" to everything."""

    def respond(self, head, target):
        return Response(200, b"plain\n")


# ---- Start-up ------------------------------------------------------------------------------

def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--cert", required=True, help="certificate chain (PEM, leaf first)")
    parser.add_argument("--key", required=True)
    parser.add_argument("--docroot", help="folder served under /files/")
    parser.add_argument("--plain-port", type=int, help="also listen for plain http here")
    parser.add_argument("--log", help="file that mirrors the request log")
    parser.add_argument("--pidfile")
    return parser.parse_args()


def main():
    options = parse_arguments()
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(options.cert, options.key)
    request_log = RequestLog(options.log)
    servers = [Server(options.port, context, request_log, options.docroot, options.plain_port)]
    if options.plain_port:
        servers.append(PlainServer(options.plain_port, None, request_log, log_prefix="[plain] "))
    for server in servers[1:]:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    if options.pidfile:
        with open(options.pidfile, "w") as f:
            f.write("%d\n" % os.getpid())
    print("listening on 127.0.0.1:%s" % ", ".join(str(s.server_address[1]) for s in servers),
          flush=True)
    servers[0].serve_forever()


if __name__ == "__main__":
    main()
