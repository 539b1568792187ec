"""A crash on the real program without a transmitter: random attitudes thrown after a reset, the
helicopter falls with the motor off, the picture freezes with the crash report over it; P resets.
With --docs DIR it also writes the user guide's screenshots (field, menu, settings, playback, crash).

usage: test_crash.py PROGRAM_DIR [--docs DIR]"""
import os
import shutil
import subprocess
import sys
import time

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
        program.click(188, 9, pause=0.6)  # Model menu
        save_doc(program.screenshot("menu.png"), docs, "menu.jpg")
        program.click(218, 193, pause=0.8)  # Model Parameters
        save_doc(program.screenshot("settings.png"), docs, "settings.jpg")
        program.key("Escape", pause=0.5)
        program.key("p", pause=0.3)

    # Simulation > Training Modes > Random Attitudes, enable, OK, then Space throws the helicopter.
    program.click(48, 9, pause=0.4)
    program.click(80, 156, pause=0.5)
    program.click(310, 193, pause=0.8)
    program.click(312, 311, pause=0.3)
    program.click(595, 476, pause=0.5)
    program.key("space", pause=0.2)
    frozen = None
    for _ in range(40):
        time.sleep(0.25)
        a = program.screenshot("a.png")
        time.sleep(0.3)
        b = program.screenshot("b.png")
        centre = rvdriver.pixel(b, 512, rvdriver.MENU_HEIGHT + 374)
        if rvdriver.differing_pixels(a, b) == 0 and sum(centre) < 200:
            frozen = b
            break
    assert frozen, "no frozen crash picture with its report"
    shutil.copy(frozen, program.path("crash.png"))
    save_doc(frozen, docs, "crash.jpg")

    # P while the report is shown resets the helicopter: the picture moves on.
    program.key("p", pause=0.5)
    moved = 0
    for _ in range(10):
        after = program.screenshot("after.png")
        moved = rvdriver.differing_pixels(frozen, after)
        if moved > 1000 and sum(rvdriver.pixel(after, 512, 200)) > 60:
            break
        time.sleep(0.4)
    assert moved > 1000, "P did not end the crash report"
    assert program.stop() == 0, program.log
    print("crash: report frozen on screen, P reset the helicopter")
