"""The window a pilot expects, on the real program: size and position come from Settings.ini, F11 asks
for full screen and back, and the window's state and "Smooth motion" are written back at exit; a position
off every display is not used. (A bare Xvfb has no window manager to carry out the full-screen request,
so the picture's size is checked only for the windowed states.)

usage: test_window.py PROGRAM_DIR"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

with rvdriver.Program(sys.argv[1]) as program:
    # A stored size and position are used; "Smooth motion" switched off is kept.
    program.write("Settings.ini", "WindowX = 40\nWindowY = 30\nWindowWidth = 900\nWindowHeight = 560\nSmoothMotion = 0\n")
    program.start(timeout=90)
    assert rvdriver.image_size(program.screenshot("placed.png")) == (900, 560)
    program.key("F11")
    assert program.stop() == 0
    saved = program.settings()
    # The windowed size is what is kept while the window fills the screen.
    assert (saved["FullScreen"], saved["WindowWidth"], saved["WindowHeight"]) == ("1", "900", "560"), saved
    assert saved["SmoothMotion"] == "0", saved

    # Full screen again at the next start; F11 brings the stored window back.
    program.start(timeout=90)
    program.key("F11")
    program.wait_until("windowed.png", lambda shot: rvdriver.image_size(shot) == (900, 560))
    assert program.stop() == 0
    assert program.settings()["FullScreen"] == "0"

    # A position far off the screen is not used: the window opens where the pilot can reach it.
    program.write("Settings.ini", "WindowX = 90000\nWindowY = 90000\nWindowWidth = 700\nWindowHeight = 500\n")
    program.start(timeout=90)
    assert program.stop() == 0
    saved = program.settings()
    assert int(saved["WindowX"]) < 1280 and int(saved["WindowY"]) < 1024, saved
    assert saved["SmoothMotion"] == "1", saved
