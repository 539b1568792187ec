"""A crash on the real program without a transmitter: random attitudes thrown after a reset, the
helicopter falls with the motor off, the picture freezes with the crash report over it; P resets.
With --docs DIR it also writes the user guide's screenshots (field, menu, settings, playback, crash).

usage: test_crash.py PROGRAM_DIR [--docs DIR]"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402


def save_doc(shot, docs, name):
    if docs:
        subprocess.run(["convert", shot, "-resize", "800x", "-quality", "82", os.path.join(docs, name)], check=True)


docs = sys.argv[sys.argv.index("--docs") + 1] if "--docs" in sys.argv else None
if docs:
    os.makedirs(docs, exist_ok=True)
with rvdriver.Program(sys.argv[1]) as program:
    program.start()
    save_doc(program.screenshot("field.png"), docs, "field.jpg")
    if docs:
        program.menu("Model")
        save_doc(program.screenshot("menu.png"), docs, "menu.jpg")
        program.menu("Model", "Model Parameters")
        program.wait_window("Helicopter Settings")
        save_doc(program.screenshot("settings.png"), docs, "settings.jpg")
        program.key("Escape")
        program.wait_window("Helicopter Settings", shown=False)
        program.key("p")

    # Simulation > Training Modes > Random Attitudes, enable, OK, then Space throws the helicopter.
    program.menu("Simulation", "Training Modes", "Random Attitudes")
    program.click_on("Enable Random Attitudes", "Random Attitude")
    program.click_on("OK", "Random Attitude")
    assert program.wait_window("Random Attitude", shown=False), "the dialog did not close"
    program.key("space")
    report = program.wait_text("CRASHED", "##Foreground", timeout=30)
    assert report, "no crash report"
    # The picture stays as it is over three frames, the report's white title in it (for three seconds).
    frozen = program.screenshot("crash.png")
    program.wait_frames(3)
    assert rvdriver.differing_pixels(frozen, program.screenshot("later.png")) == 0, "the crash picture moves"
    assert rvdriver.white_pixels(rvdriver.region(frozen, *report)) > 20, "no report on the crash picture"
    save_doc(frozen, docs, "crash.jpg")

    # P while the report is shown resets the helicopter: the picture moves on.
    program.key("p")
    program.wait_until("after.png", lambda after: rvdriver.differing_pixels(frozen, after) > 1000
                       and sum(rvdriver.pixel(after, 512, 200)) > 60)
    assert program.stop() == 0, program.log
    print("crash: report frozen on screen, P reset the helicopter")
