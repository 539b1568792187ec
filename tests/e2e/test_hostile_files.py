"""Damaged files in every slot the program reads, loaded by the running program: the settings files,
the scratch recording, the pictures in data/, the motor sound and a crash sound at start; a recording
through "Load Recording", a canopy through "450 Canopy Graphics" and a geometry through "Load Heli
Geometry" while it runs. For each kind of damage (empty, cut short, huge counts, a foreign format, random
bytes) the program keeps running, says which files it could not read, exits normally, and no file the
pilot did not choose to replace has changed."""
import hashlib
import os
import random
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

# Rewritten at every exit (settings) or replaced by "Load Recording" (the scratch file).
WRITTEN_AT_EXIT = {"UserPrefs.dat", "JoystickCalibration.dat", "JoystickMapping.dat", "data/StartUp.par",
                   "Settings.ini", "FlightLogData.log", "temporary.rec", "audio.raw"}


def riff(body_chunks, riff_size=None):
    body = b"WAVE" + body_chunks
    return b"RIFF" + struct.pack("<I", riff_size if riff_size is not None else len(body)) + body


def hostile(kind, damage, shipped):
    """The damaged file of one kind: cut from a real one, with huge counts, foreign or random."""
    rnd = random.Random(hash((kind, damage)) & 0xFFFF)
    if damage == "empty":
        return b""
    if damage == "short":
        return shipped[kind][:7]
    if damage == "random":
        return bytes(rnd.randrange(256) for _ in range(3000))
    if damage == "foreign":
        # Another kind's file: a picture where text or sound is expected and the other way round.
        return shipped["text"] if kind in ("picture", "pcx", "wav") else shipped["picture"][:4000]
    # Huge counts and sizes in otherwise well-formed headers.
    if kind == "rec":
        return struct.pack("<II", 0x12123225, 0xFFFFFFFF) + bytes(100)
    if kind == "x":
        return b"xof 0302txt 0064\r\nMesh heli {\r\n 2000000000;\r\n 1.0; 2.0; 3.0;,\r\n"
    if kind == "picture":  # a BMP claiming 60000 x 60000 pixels in 70 bytes
        return (b"BM" + struct.pack("<IHHI", 70, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, 60000, 60000, 1, 24,
                0, 0, 0, 0, 0, 0) + bytes(16))
    if kind == "pcx":  # a PCX header claiming 65535 x 65535
        return bytes([10, 5, 1, 8]) + struct.pack("<HHHH", 0, 0, 65534, 65534) + bytes(116) + bytes(10)
    if kind == "wav":  # a stream-written RIFF with an absurd byte rate
        fmt = struct.pack("<HHIIHH", 1, 1, 0xFFFFFFFF, 0xFFFFFFFF, 2, 16)
        return riff(b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", 0xFFFFFFFF) + bytes(64),
                    0xFFFFFFFF)
    # Settings files: every byte 0xFF (huge and negative counts, NaN floats).
    return b"\xff" * {"prefs": 19, "calibration": 104, "mapping": 56, "par": 196}[kind]


def digests(folder):
    found = {}
    for root, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            rel = os.path.relpath(path, folder)
            if rel in WRITTEN_AT_EXIT or rel.endswith(".png"):
                continue
            with open(path, "rb") as f:
                found[rel] = hashlib.sha1(f.read()).hexdigest()
    return found


def run(program_dir, damage, shipped):
    slots = {"UserPrefs.dat": "prefs", "JoystickCalibration.dat": "calibration",
             "JoystickMapping.dat": "mapping", "data/StartUp.par": "par", "temporary.rec": "rec",
             "data/backdrop.jpg": "picture", "data/grass.jpg": "picture", "data/pebbles.jpg": "picture",
             "data/bricks.jpg": "picture", "data/doorwindow.jpg": "picture", "data/canopy.jpg": "picture",
             "data/canmask.pcx": "pcx", "data/motorsound.wav": "wav", "crashsounds/zz-hostile.wav": "wav",
             "recordings/hostile.rec": "rec", "canopies/hostile.jpg": "picture",
             "ModelGeometries/hostile.x": "x"}
    with rvdriver.Program(program_dir) as program:
        for rel, kind in slots.items():
            program.write(rel, hostile(kind, damage, shipped))
        before = digests(program.dir)
        program.start()
        program.dismiss_messages()  # the messages about what could not be read
        program.key("r")
        program.bar_button("play")  # the damaged scratch recording
        program.choose(lambda: program.bar_button("load"), "hostile.rec")
        program.bar_button("play")
        program.key("r")
        assert program.wait_window("Record Playback", shown=False), "R did not hide the bar"
        for item, name in (("450 Canopy Graphics", "hostile.jpg"), ("Load Heli Geometry", "hostile.x")):
            program.choose(lambda: program.menu("Graphics", item), name)
            program.dismiss_messages()
        for _ in range(2):  # the motor sound switched on (and off) reads the damaged loop
            program.menu("Sound", "Motor")
            program.dismiss_messages()  # switched on, it says the loop could not be read
        assert rvdriver.image_size(program.screenshot("hostile-%s.png" % damage))[0] > 0
        code = program.stop()
        log = program.log
        assert code == 0, "%s: exit %s\n%s" % (damage, code, log[-3000:])
        assert "Assertion" not in log and "runtime error" not in log, log
        after = digests(program.dir)
        changed = sorted(k for k in before if before[k] != after.get(k))
        assert not changed, "%s: files changed or gone: %s" % (damage, changed)
        assert "Could not read" in log, "%s: nothing said about unreadable files\n%s" % (damage, log)
        # Switching the motor sound on from the menu names its unreadable loop.
        assert "Could not read the motor sound from %s" % program.path("data/motorsound.wav") in log, log
        if damage in ("empty", "random", "short"):
            assert "canopy is unchanged" in log, log


def main():
    program_dir = sys.argv[1]
    with open(os.path.join(program_dir, "data", "grass.jpg"), "rb") as f:
        picture = f.read()
    shipped = {"picture": picture, "text": b"Just some text, not the file you expected.\n" * 20,
               "rec": struct.pack("<II", 0x12123225, 1) + bytes(88), "x": b"xof 0302txt 0064\r\n",
               "pcx": bytes([10, 5, 1, 8]) + bytes(124), "wav": riff(b""), "prefs": bytes(19),
               "calibration": bytes(104), "mapping": bytes(56), "par": bytes(196)}
    damages = sys.argv[2:] or ["empty", "short", "huge", "foreign", "random"]
    for damage in damages:
        run(program_dir, damage, shipped)
        print("hostile files (%s): no abort, files unchanged, unreadable files named" % damage)


if __name__ == "__main__":
    main()
