#!/usr/bin/python3
# get_idm of libsony_idm.so (the first argument) through ctypes against a pcscd of this test's own,
# with vpcd and a virtual FeliCa card served from this script. pcscd 1.9.9 always listens in
# /run/pcscd, so it runs in a private mount namespace where /run is a folder of this test's,
# reached from here through PCSCLITE_CSOCK_NAME; the machine's USB reader drivers are hidden
# from it; then the program (the second argument) on it, with a card resting through faults.
# Exit 77: skipped, for want of pcscd, vpcd, faketime or private namespaces.

import atexit, ctypes, os, pathlib, shutil, signal, socket, subprocess, sys, tempfile, threading, time

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
# without an IDm ("") never answers an APDU. asked: APDUs come; faults: the next answers are
# "late" (0.6 s) or "error" (6A 81).
class Card(threading.Thread):
    def __init__(self, idm, port, faults=()):
        super().__init__(daemon=True)
        self.idm, self.asked, self.faults = bytes.fromhex(idm), 0, list(faults)
        self.socket = until(lambda: connect(port), "no vpcd")
        self.start()

    def run(self):
        stream = self.socket.makefile("rb")
        while len(length := stream.read(2)) == 2:
            payload = stream.read(int.from_bytes(length, "big"))
            self.asked += len(payload) > 1
            if payload != b"\4" and (len(payload) == 1 or not self.idm):
                continue
            fault = self.faults.pop(0) if len(payload) > 1 and self.faults else None
            time.sleep(0.6 if fault == "late" else 0)
            uid = self.idm + b"\x90\x00" if payload == bytes.fromhex("FFCA000000") else b"\x6a\x81"
            uid = b"\x6a\x81" if fault == "error" else uid
            answer = ATR if payload == b"\4" else uid
            self.socket.sendall(len(answer).to_bytes(2, "big") + answer)

    def remove(self):
        self.socket.shutdown(socket.SHUT_RDWR)


# One get_idm: the IDm, None for no card, or a failed check's result; quick, writing no more.
def read():
    buffer, start = ctypes.create_string_buffer(1025), time.monotonic()
    result = library.get_idm(12960, buffer)
    assert time.monotonic() - start < 1, "get_idm took a second or more"
    idm = buffer.raw.rstrip(b"\0").decode()
    assert result == len(idm) == 16 if result >= 0 else idm == "", (result, buffer.raw[:40])
    return idm if result >= 0 else None if result == -1 else result


# Reads until that IDm (None: no card) shows, then that many times more.
def expect(idm, reads=3):
    until(lambda: read() == idm, f"{idm} never read: {read()}")
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


faketime = f"/usr/lib/{sys.implementation._multiarch}/faketime/libfaketime.so.1"
if not all(map(os.path.exists, ("/usr/sbin/pcscd", VPCD, "/usr/bin/unshare", faketime))):
    sys.exit(77)
signal.alarm(100)  # a hang ends the test, and pcscd dies with it
libc, library = ctypes.CDLL(None), ctypes.CDLL(sys.argv[1])
run = tempfile.mkdtemp(prefix="velmora-pcsc-")
atexit.register(shutil.rmtree, run)
os.environ["PCSCLITE_CSOCK_NAME"] = run + "/pcscd/pcscd.comm"  # read at the first PC/SC call
os.environ.pop("VELMORA_CARD_FILE", None)
port = next(p for p in range(20000 + os.getpid() % 20000, 65000, 4)
            if not any(connect(p + i) for i in range(4)))  # two readers of two slots each
with open(run + "/reader.conf", "w") as conf:
    for reader in (0, 2):  # one vpcd serves one reader: the second one loads a copy
        shutil.copy(VPCD, f"{run}/vpcd{reader}.so")
        conf.write(f"FRIENDLYNAME vpcd{reader}\nDEVICENAME /dev/null:{port + reader}\n"
                   f"LIBPATH /run/vpcd{reader}.so\n")
open(run + "/none.conf", "w").close()
flags = next((f for f in (["-m"], ["-rm"]) if private(f, "true").wait() == 0), None)
if flags is None:
    sys.exit(77)
daemon = start("reader.conf")
try:
    expect(None)
    # On and taken away, another card, a card in the reader's other slot; upper-case hex.
    for idm, slot in (("0123456789abcdef", 0), ("0011223344556677", 1), ("FEDCBA9876543210", 0)):
        card = Card(idm, port + slot)
        expect(idm.upper())
        card.remove()
        expect(None)
    # A card that never answers where the last card was read is a failed check, never "no card",
    # each read under a second; it hides no card on another reader, and then counts as none.
    silent = Card("", port)
    until(lambda: read() in (-3, -4) and silent.asked, "the silent card was never asked")
    expect(-3)
    other = Card(IDM, port + 2)
    expect(IDM)
    other.remove()
    expect(None)
    silent.remove()
    Card(IDM, port)
    expect(IDM)
    # Stopped with a card on, started without readers, started again: this process reads again.
    for conf, idm in (("none.conf", -2), ("reader.conf", IDM)):
        daemon.terminate()
        daemon.wait()
        expect(-2)
        daemon = start(conf)
        card = Card(IDM, port) if idm == IDM else None
        expect(idm)
    card.remove()
    expect(None)

    # The program on a shared PC at 17:01: a card lying on the reader records once, though it
    # answers late once and with an error once, and pcscd restarts under it.
    work, log = run + "/work", open(run + "/log", "w")
    os.mkdir(work)
    files = {"使用者データ": "\r\n", "利用者Felica.dat": f'"{IDM}","職員A"\r\n',
             "Velmora.dat": '"職員A","07/01","8:00","出"\r\n'}
    for name, text in files.items():
        pathlib.Path(work, name).write_bytes(text.encode("cp932"))
    nowhere = "unix:path=" + run + "/no-bus"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=run, XDG_RUNTIME_DIR=run,
               DBUS_SESSION_BUS_ADDRESS=nowhere, DBUS_SYSTEM_BUS_ADDRESS=nowhere,
               LD_PRELOAD=f"{os.environ.get('LD_PRELOAD', '')} {faketime}".strip(),
               FAKETIME="@2026-07-01 17:01:00", FAKETIME_DONT_FAKE_MONOTONIC="1")
    program = subprocess.Popen([sys.argv[2]], cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=log,
                               stderr=log, preexec_fn=lambda: libc.prctl(1, signal.SIGKILL))
    records = lambda: pathlib.Path(work, "Velmora.dat").read_bytes().decode("cp932")
    card = Card(IDM, port, [None, "late", "error"])
    until(lambda: card.asked >= 4, "the program read the card less than four times", 30)
    daemon.terminate()
    daemon.wait()
    time.sleep(2)  # checks that find no pcscd
    daemon = start("reader.conf")
    card = Card(IDM, port)
    until(lambda: card.asked >= 3, "the program read the card less than three times again", 30)
    assert program.poll() is None and records() == files["Velmora.dat"] + \
        '"職員A","07/01","17:05","退"\r\n', (records(), pathlib.Path(run, "log").read_text())
finally:
    daemon.kill()
