#!/usr/bin/python3
# get_idm of libsony_idm.so (the argument) through ctypes against a pcscd of this test's own,
# with vpcd and a virtual FeliCa card served from this script. pcscd 1.9.9 always listens in
# /run/pcscd, so it runs in a private mount namespace where /run is a folder of this test's,
# reached from here through PCSCLITE_CSOCK_NAME; the machine's USB reader drivers are hidden
# from it. Exit 77: skipped, for want of pcscd, vpcd or private namespaces.

import atexit, ctypes, os, shutil, signal, socket, subprocess, sys, tempfile, threading, time

VPCD = "/usr/lib/pcsc/drivers/serial/libifdvpcd.so"
ATR = bytes.fromhex("3B8F8001804F0CA0000003061100" "3B0000000042")  # FeliCa, as readers make it up
IDM = "0123456789ABCDEF"


def until(condition, failure, seconds=10):
    deadline = time.monotonic() + seconds
    while not (result := condition()):
        assert time.monotonic() < deadline, failure
        time.sleep(0.02)
    return result


def connect(port):
    try:
        return socket.create_connection(("127.0.0.1", port))
    except OSError:
        return None


# A card on vpcd's slot at port until removed. vpcd sends a 2-byte big-endian length and a
# payload: 1 byte is a control (4: send the ATR; the others want no answer), more an APDU. GET
# UID (FF CA 00 00 00) is answered with the IDm and 90 00, any other APDU with 6A 81; a card
# without an IDm ("") never answers an APDU. asked: an APDU came.
class Card(threading.Thread):
    def __init__(self, idm, port):
        super().__init__(daemon=True)
        self.idm, self.asked = bytes.fromhex(idm), False
        self.socket = until(lambda: connect(port), "no vpcd")
        self.start()

    def run(self):
        stream = self.socket.makefile("rb")
        while len(length := stream.read(2)) == 2:
            payload = stream.read(int.from_bytes(length, "big"))
            self.asked |= len(payload) > 1
            if payload != b"\4" and (len(payload) == 1 or not self.idm):
                continue
            uid = self.idm + b"\x90\x00" if payload == bytes.fromhex("FFCA000000") else b"\x6a\x81"
            answer = ATR if payload == b"\4" else uid
            self.socket.sendall(len(answer).to_bytes(2, "big") + answer)

    def remove(self):
        self.socket.shutdown(socket.SHUT_RDWR)


# One get_idm: the IDm, or None for no card; quick, and writing nothing else.
def read():
    buffer, start = ctypes.create_string_buffer(1025), time.monotonic()
    result = library.get_idm(12960, buffer)
    assert time.monotonic() - start < 1, "get_idm took a second or more"
    idm = buffer.raw.rstrip(b"\0").decode()
    assert result == len(idm) == 16 if result >= 0 else idm == "", (result, buffer.raw[:40])
    return idm or None


# Reads until that IDm (None: no card) shows, then that many times more.
def expect(idm, reads=3):
    until(lambda: read() == idm, f"{idm} never read")
    for _ in range(reads):
        assert (got := read()) == idm, (got, idm)


# The command in a private mount namespace; it dies with this process.
def private(flags, *command):
    script = 'mount --bind "$0" /run && mount -t tmpfs none /usr/lib/pcsc/drivers && exec "$@"'
    return subprocess.Popen(["unshare", *flags, "sh", "-c", script, run, *command],
                            preexec_fn=lambda: libc.prctl(1, signal.SIGKILL))  # PR_SET_PDEATHSIG


def start(conf):
    daemon = private(flags, "/usr/sbin/pcscd", "--foreground", "--config", "/run/" + conf)
    until(lambda: os.path.exists(os.environ["PCSCLITE_CSOCK_NAME"]), "pcscd opened no socket")
    return daemon


if not all(map(os.path.exists, ("/usr/sbin/pcscd", VPCD, "/usr/bin/unshare"))):
    sys.exit(77)
signal.alarm(100)  # a hang ends the test, and pcscd dies with it
libc, library = ctypes.CDLL(None), ctypes.CDLL(sys.argv[1])
run = tempfile.mkdtemp(prefix="velmora-pcsc-")
atexit.register(shutil.rmtree, run)
os.environ["PCSCLITE_CSOCK_NAME"] = run + "/pcscd/pcscd.comm"  # read at the first PC/SC call
os.environ.pop("VELMORA_CARD_FILE", None)
shutil.copy(VPCD, run + "/vpcd.so")
port = next(p for p in range(20000 + os.getpid() % 20000, 65000, 2)
            if not (connect(p) or connect(p + 1)))  # vpcd's two slots
with open(run + "/reader.conf", "w") as conf:
    conf.write(f"FRIENDLYNAME vpcd\nDEVICENAME /dev/null:{port}\nLIBPATH /run/vpcd.so\n")
open(run + "/none.conf", "w").close()
flags = next((f for f in (["-m"], ["-rm"]) if private(f, "true").wait() == 0), None)
if flags is None:
    sys.exit(77)
daemon = start("reader.conf")
try:
    expect(None)
    # On and taken away, another card, a card in the reader's other slot; upper-case hex.
    for idm, slot in (("0123456789abcdef", 0), ("FEDCBA9876543210", 0), ("0011223344556677", 1)):
        card = Card(idm, port + slot)
        expect(idm.upper())
        card.remove()
        expect(None)
    # A card that never answers counts as no card, each read under a second, until taken away.
    silent = Card("", port)
    until(lambda: read() is None and silent.asked, "the silent card was never asked")
    expect(None)
    silent.remove()
    Card(IDM, port)
    expect(IDM)
    # Stopped with a card on, started without readers, started again: this process reads again.
    for conf, idm in (("none.conf", None), ("reader.conf", IDM)):
        daemon.terminate()
        daemon.wait()
        expect(None)
        daemon = start(conf)
        if idm:
            Card(idm, port)
        expect(idm)
finally:
    daemon.kill()
