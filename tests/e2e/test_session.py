"""A whole session on the real program: motor sound on, a recording made, played back and played in
slow motion from the record/play bar, the settings dialogs opened from the menu and confirmed, the
shipped demo flight loaded through the file chooser and played with its motor sound, then SIGTERM. Run by
ctest on the normal build and by scripts/sanitize on the ThreadSanitizer build, where any sanitizer report
fails the run.

usage: test_session.py PROGRAM_DIR [SECONDS]"""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

SIMULATION, MODEL = 48, 188  # the menu titles
DIALOGS = [(MODEL, 193, "Model Parameters"), (MODEL, 79, "Exponential Rates"), (MODEL, 98, "Gyro settings"),
           (MODEL, 212, "Swash Imperfections"), (SIMULATION, 98, "Wind / Turbulence")]

seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 25.0
with rvdriver.Program(sys.argv[1]) as program:
    program.write("UserPrefs.dat", rvdriver.prefs(instruments=True, smooth=False, motor_sound=True))
    begin = time.time()
    program.start(timeout=90)
    program.key("r", pause=1.0)
    program.bar_button("record", pause=4.0)
    program.bar_button("stop", pause=0.5)
    recorded = program.read("temporary.rec")
    program.bar_button("play", pause=2.0)
    program.bar_button("slow", pause=2.0)
    program.screenshot("slow-motion.png")
    program.bar_button("pause", pause=0.5)
    program.bar_button("stop", pause=0.5)
    program.key("r", pause=0.5)
    for menu, item_y, name in DIALOGS:
        program.click(menu, 9, pause=0.4)
        program.click(menu + 30, item_y, pause=0.8)
        program.screenshot("dialog-%s.png" % name.replace(" ", "-").replace("/", ""))
        program.key("Return", pause=0.8)
    program.key("p", pause=0.3)  # the dialogs paused the simulation; resume it

    # The rotor has not turned yet: the motor sound so far is silence.
    audio = program.path("audio.raw")
    silent_bytes = os.path.getsize(audio)
    assert silent_bytes > 0 and not any(program.read("audio.raw")), "sound while the rotor stands still"

    # Load the demo flight through the chooser and play it: the motor sound follows its rotor.
    program.key("r", pause=0.8)
    program.choose(lambda: program.bar_button("load"), "Demo Flight.rec")
    program.bar_button("play", pause=8.0)
    program.screenshot("demo-flight.png")
    assert any(program.read("audio.raw")[silent_bytes:]), "no motor sound during the demo flight"
    time.sleep(max(0.0, seconds - (time.time() - begin)))
    code = program.stop(timeout=60)
    if any(report in program.log for report in ("WARNING: ThreadSanitizer", "ERROR: AddressSanitizer",
                                                "runtime error:")):
        print(program.log)
        raise SystemExit("sanitizer report")
    assert code == 0, (code, program.log[-2000:])
    # At 20 frames a second for about 4 s: a header and well over 40 frames of 88 bytes.
    magic, frames = struct.unpack_from("<II", recorded)
    assert len(recorded) >= 8 + 88 * 40 and (len(recorded) - 8) % 88 == 0, len(recorded)
    assert magic == 0x12123225 and frames == (len(recorded) - 8) // 88, (hex(magic), frames)
    print("session: %.0f s, recording of %d frames, dialogs confirmed, exit 0" % (time.time() - begin, frames))
