#!/usr/bin/python3
"""A virtual FeliCa card for vsmartcard's vpcd reader driver.

    virtual_card.py --idm 0123456789ABCDEF [--host 127.0.0.1] [--port 35963]

The card is on the reader while this runs; ending it (SIGTERM) takes it away. vpcd frames are
a 2-byte big-endian length and a payload: 1 byte is a control (4: send the ATR, others need no
answer), more is an APDU. GET UID (FF CA 00 00 00) is answered with the IDm and 90 00, any other
APDU with 6A 81. When vpcd goes away (pcscd stopped) the card connects again once it is back.
"""

import argparse
import signal
import socket
import struct
import sys
import time

# A contactless storage card's ATR as PC/SC readers make it up: FeliCa (card name 00 3B).
ATR = bytes.fromhex("3B8F8001804F0CA0000003061100" "3B0000000042")
GET_UID = bytes.fromhex("FFCA000000")


def receive_exactly(connection, count):
    data = b""
    while len(data) < count:
        if hasattr(socket, "TCP_QUICKACK"):
            # vpcd sends length and payload apart; an at-once ACK keeps Nagle from delaying it.
            connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
        chunk = connection.recv(count - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def serve(connection, idm):
    """Answers vpcd until it closes the connection."""
    while (header := receive_exactly(connection, 2)) is not None:
        payload = receive_exactly(connection, struct.unpack(">H", header)[0])
        if payload is None:
            return
        if payload == b"\x04":
            answer = ATR
        elif len(payload) > 1:
            answer = idm + b"\x90\x00" if payload == GET_UID else b"\x6A\x81"
        else:
            continue
        connection.sendall(struct.pack(">H", len(answer)) + answer)


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
