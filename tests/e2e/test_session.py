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

# (menu, item, the dialog's window)
DIALOGS = [("Model", "Model Parameters", "Helicopter Settings"), ("Model", "Exponential Rates", "Exponential Rates"),
           ("Model", "Gyro settings", "Gyro Settings"), ("Model", "Swash Imperfections", "Swash Imperfections"),
           ("Simulation", "Wind / Turbulence", "Wind Settings")]

seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 25.0
with rvdriver.Program(sys.argv[1]) as program:
    program.write("UserPrefs.dat", rvdriver.prefs(instruments=True, smooth=False, motor_sound=True))
    begin = time.time()
    program.start(timeout=90)
    program.key("r")
    assert program.wait_window("Record Playback"), "R showed no bar"
    program.bar_button("record")
    assert program.poll(lambda: (program.bar_time() or 0) >= 4.0), "the bar counts no time recorded"
    program.bar_button("stop")
    assert program.wait_text(lambda text: " / " in text, "Record Playback"), "the recording did not stop"
    recorded = program.read("temporary.rec")
    program.bar_button("play")
    assert program.poll(lambda: (program.bar_time() or 0) >= 1.0), "the recording does not play"
    program.bar_button("slow")
    at = program.bar_time()
    assert program.poll(lambda: (program.bar_time() or 0) >= at + 0.5), "slow motion does not play"
    program.screenshot("slow-motion.png")
    program.bar_button("pause")
    program.bar_button("stop")
    program.key("r")
    for menu, item, window in DIALOGS:
        program.menu(menu, item)
        assert program.wait_window(window), "%s opened no %s" % (item, window)
        program.screenshot("dialog-%s.png" % item.replace(" ", "-").replace("/", ""))
        program.key("Return")
        assert program.wait_window(window, shown=False), "Return did not confirm %s" % window
    program.key("p")  # the dialogs paused the simulation; resume it

    # The rotor has not turned yet: the motor sound so far is silence.
    audio = program.path("audio.raw")
    silent_bytes = os.path.getsize(audio)
    assert silent_bytes > 0 and not any(program.read("audio.raw")), "sound while the rotor stands still"

    # Load the demo flight through the chooser and play it: the motor sound follows its rotor.
    demo = program.read("recordings/Demo Flight.rec")
    program.key("r")
    program.choose(lambda: program.bar_button("load"), "Demo Flight.rec", lambda: program.read("temporary.rec") == demo)
    program.bar_button("play")
    assert program.poll(lambda: any(program.read("audio.raw")[silent_bytes:]), timeout=30), \
        "no motor sound during the demo flight"
    program.screenshot("demo-flight.png")
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
