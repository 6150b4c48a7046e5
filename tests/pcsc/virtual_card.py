#!/usr/bin/python3
"""A virtual FeliCa card for vsmartcard's vpcd reader driver (Debian python3, standard library).

Holding the card on the reader is running this script; taking it away is ending it (SIGTERM or
Ctrl+C): vpcd sees the closed connection as the card removed.

    virtual_card.py --idm 0123456789ABCDEF [--host 127.0.0.1] [--port 35963]

vpcd listens on the port of its reader.conf entry (35963 for the first slot of the Debian
config, the next port for the second). Its framing: a 2-byte big-endian length, then the payload.
A 1-byte payload is a control: 0 power off, 1 power on, 2 reset (none answered), 4 send the ATR
(answered with the ATR). A longer payload is an APDU, answered with the response APDU. The card
answers the PC/SC pseudo-APDU FF CA 00 00 00 (get UID) with its 8-byte IDm and 90 00, any other
APDU with 6A 81 (function not supported).

When the connection drops while the card is still held (pcscd stopped), the card connects again
as soon as vpcd listens again, so a restarted pcscd finds it on the reader.
"""

import argparse
import signal
import socket
import struct
import sys
import time

# The ATR a PC/SC reader makes up for a contactless storage card: FeliCa (card name 00 3B).
ATR = bytes.fromhex("3B8F8001804F0CA0000003061100" "3B0000000042")
GET_UID = bytes.fromhex("FFCA000000")
OK = bytes.fromhex("9000")
NOT_SUPPORTED = bytes.fromhex("6A81")

CONTROL_ATR = 4


def receive_exactly(connection, count):
    data = b""
    while len(data) < count:
        if hasattr(socket, "TCP_QUICKACK"):
            # vpcd writes the length and the payload separately; acknowledging at once keeps
            # Nagle's algorithm on its side from holding the payload back for 40 ms.
            connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
        chunk = connection.recv(count - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def send(connection, payload):
    connection.sendall(struct.pack(">H", len(payload)) + payload)


def answer(apdu, idm):
    if apdu == GET_UID:
        return idm + OK
    return NOT_SUPPORTED


def serve(connection, idm):
    """Answers vpcd until it closes the connection."""
    while True:
        header = receive_exactly(connection, 2)
        if header is None:
            return
        (length,) = struct.unpack(">H", header)
        payload = receive_exactly(connection, length)
        if payload is None:
            return
        if length == 1:
            if payload[0] == CONTROL_ATR:
                send(connection, ATR)
        elif length > 1:
            send(connection, answer(payload, idm))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--idm", required=True, help="8 bytes as 16 hex digits")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=35963)
    arguments = parser.parse_args()
    idm = bytes.fromhex(arguments.idm)
    if len(idm) != 8:
        parser.error("--idm takes 8 bytes (16 hex digits)")

    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(0))
    try:
        while True:
            try:
                with socket.create_connection((arguments.host, arguments.port)) as connection:
                    connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                    serve(connection, idm)
            except OSError:
                pass  # vpcd not listening (yet or any more): try again shortly
            time.sleep(0.1)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
