#!/usr/bin/env python3
"""A TDS server that logs a client in and then never answers a statement.

Enough of the protocol for FreeTDS: the pre-login answer (no encryption),
the login acknowledged, every SQL batch left without an answer and the
cancel never acknowledged. With --trickle it sends its pre-login answer one
byte a second instead, a login that never ends though the line never goes
quiet. Prints "PORT PID" on its first line; ends when killed, or after a
minute.
"""
import os
import socket
import struct
import sys
import threading
import time

TRICKLE = "--trickle" in sys.argv


def packet(payload):
    # A tabular result, the last packet of its message.
    return struct.pack(">BBHHBB", 0x04, 0x01, 8 + len(payload), 0, 1, 0) + payload


def read_message(connection):
    data = b""
    while True:
        head = connection.recv(8, socket.MSG_WAITALL)
        if len(head) < 8:
            return None, None
        kind, status, length = struct.unpack(">BBH", head[:4])
        data += connection.recv(length - 8, socket.MSG_WAITALL) if length > 8 else b""
        if status & 0x01:
            return kind, data


def prelogin_answer():
    version = struct.pack(">IH", 0x0F000000, 0)
    header = 2 * 5 + 1  # two options, then the terminator
    options = struct.pack(">BHH", 0x00, header, len(version)) + struct.pack(">BHH", 0x01, header + len(version), 1)
    return options + b"\xff" + version + b"\x02"  # encryption: not supported


def ucs2(text):
    return text.encode("utf-16-le")


def login_answer():
    def env_change(kind, new, old):
        body = bytes([kind, len(new)]) + ucs2(new) + bytes([len(old)]) + ucs2(old)
        return b"\xe3" + struct.pack("<H", len(body)) + body

    name = "fake"
    ack = b"\x01" + bytes([0x74, 0x00, 0x00, 0x04]) + bytes([len(name)]) + ucs2(name) + bytes([15, 0, 0, 0])
    done = b"\xfd" + struct.pack("<HHQ", 0, 0, 0)
    return env_change(1, "erp", "master") + env_change(4, "4096", "4096") + b"\xad" + struct.pack("<H", len(ack)) + ack + done


def serve(connection):
    while True:
        kind, _ = read_message(connection)
        if kind is None:
            return
        if kind == 0x12 and TRICKLE:
            for byte in packet(prelogin_answer()):
                connection.sendall(bytes([byte]))
                time.sleep(1)
        elif kind == 0x12:
            connection.sendall(packet(prelogin_answer()))
        elif kind == 0x10:
            connection.sendall(packet(login_answer()))
        else:
            time.sleep(3600)  # a statement, or its cancel: no answer


def main():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], os.getpid(), flush=True)
    threading.Timer(60, lambda: os._exit(0)).start()
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection,), daemon=True).start()


if __name__ == "__main__":
    main()
