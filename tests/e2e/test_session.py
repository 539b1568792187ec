"""A whole session on the real program: motor sound on, a recording made, played back and played in
slow motion from the record/play bar, the settings dialogs opened from the menu and confirmed, the
shipped demo flight loaded through the file chooser and played with its motor sound, then SIGTERM. Run by ctest on the normal build and by scripts/sanitize on the ThreadSanitizer build, where
any sanitizer report fails the run.

usage: test_session.py PROGRAM_DIR [SECONDS]"""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

BAR_Y = 95  # the record/play bar's buttons, where it first appears (window coordinates)
PLAY, SLOW, PAUSE, STOP, RECORD, LOAD = 64, 100, 136, 172, 563, 599
MENUS = {"Simulation": 48, "Model": 188}
ITEM_Y = {"Wind / Turbulence": 98, "Exponential Rates": 79, "Gyro settings": 98,
          "Model Parameters": 193, "Swash Imperfections": 212, "Normal Pitch Curve": 117}


def open_dialog(program, menu, item):
    program.click(MENUS[menu], 9, pause=0.4)
    program.click(MENUS[menu] + 30, ITEM_Y[item], pause=0.8)


def main():
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 25.0
    program = rvdriver.Program(sys.argv[1]).install()
    prefs = struct.pack("<IfBBiBBBBB", 0x2043ABCF, 1.5, 1, 0, 1, 1, 1, 1, 0, 0)  # motor sound on
    with open(program.path("UserPrefs.dat"), "wb") as f:
        f.write(prefs)
    begin = time.time()
    try:
        program.start(timeout=90)
        program.key("r", pause=1.0)
        program.click(RECORD, BAR_Y, pause=4.0)
        program.click(STOP, BAR_Y, pause=0.5)
        recorded = os.path.getsize(program.path("temporary.rec"))
        magic, frames = struct.unpack("<II", open(program.path("temporary.rec"), "rb").read(8))
        program.click(PLAY, BAR_Y, pause=2.0)
        program.click(SLOW, BAR_Y, pause=2.0)
        program.screenshot("slow-motion.png")
        program.click(PAUSE, BAR_Y, pause=0.5)
        program.click(STOP, BAR_Y, pause=0.5)
        program.key("r", pause=0.5)
        for menu, item in [("Model", "Model Parameters"), ("Model", "Exponential Rates"),
                           ("Model", "Gyro settings"), ("Model", "Swash Imperfections"),
                           ("Simulation", "Wind / Turbulence")]:
            open_dialog(program, menu, item)
            program.screenshot("dialog-%s.png" % item.replace(" ", "-").replace("/", ""))
            program.key("Return", pause=0.8)
        program.key("p", pause=0.3)  # the dialogs paused the simulation; resume it

        # The rotor has not turned yet: the motor sound so far is silence.
        audio = program.path("audio.raw")
        silent_bytes = os.path.getsize(audio)
        assert silent_bytes > 0 and not any(open(audio, "rb").read()), "sound while the rotor stands still"

        # Load the demo flight through the chooser and play it: the motor sound follows its rotor.
        program.key("r", pause=0.8)
        program.click(LOAD, BAR_Y, pause=1.0)
        program.key("ctrl+a", pause=0.2)
        program.type("Demo Flight.rec")
        program.key("Return", pause=0.5)
        program.click(PLAY, BAR_Y, pause=8.0)
        program.screenshot("demo-flight.png")
        with open(audio, "rb") as f:
            f.seek(silent_bytes)
            assert any(f.read()), "no motor sound during the demo flight"
        left = seconds - (time.time() - begin)
        if left > 0:
            time.sleep(left)
        output = program.proc.stdout
        code = program.stop(timeout=60)
        log = output.read().decode(errors="replace")
    finally:
        program.kill()
    if "WARNING: ThreadSanitizer" in log or "ERROR: AddressSanitizer" in log or "runtime error:" in log:
        print(log)
        raise SystemExit("sanitizer report")
    assert code == 0, (code, log[-2000:])
    # At 20 frames a second for about 4 s: a header and well over 40 frames of 88 bytes.
    assert recorded >= 8 + 88 * 40 and (recorded - 8) % 88 == 0, recorded
    assert magic == 0x12123225 and frames == (recorded - 8) // 88, (hex(magic), frames)
    print("session: %.0f s, recording of %d frames, dialogs confirmed, exit 0" % (time.time() - begin, frames))
    program.cleanup()


if __name__ == "__main__":
    main()
