# Answers every request on 127.0.0.1 with a chunked 200 that doesn't end (512 MiB at most),
# as fast as the client takes it; "/manifest.json" gets the file named on the command line.
# Prints "sent <bytes>" for each endless answer once the client hangs up.
import socket
import sys
import threading

CAP = 512 * 1024 * 1024
PIECE = b"x" * (256 * 1024)
CHUNK = b"%x\r\n" % len(PIECE) + PIECE + b"\r\n"


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        got = conn.recv(65536)
        if not got:
            return None
        data += got
    head, _, rest = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    while len(rest) < length:
        got = conn.recv(65536)
        if not got:
            break
        rest += got
    return head.split(b" ")[1]


def answer(conn, manifest):
    with conn:
        path = read_request(conn)
        if path is None:
            return
        if path.endswith(b"/manifest.json"):
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % len(manifest) + manifest)
            return
        sent = 0
        try:
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n"
                         b"Connection: close\r\n\r\n")
            while sent < CAP:
                conn.sendall(CHUNK)
                sent += len(PIECE)
        except OSError:
            pass
        print("sent %d" % sent, flush=True)


def main():
    manifest = open(sys.argv[1], "rb").read()
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print("port %d" % listener.getsockname()[1], flush=True)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=answer, args=(conn, manifest), daemon=True).start()


main()
