"""Keyboard shortcuts on the real program: P pauses (pause marks), Space resets and clears the pause,
I and H light the idle-up and throttle-hold lamps, R shows the record/play bar; at exit the session
is appended to an existing log."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402
from rvdriver import MENU_HEIGHT, near, pixel  # noqa: E402

RED = (204, 0, 0)
BLACK = (0, 0, 0)

with rvdriver.Program(sys.argv[1]) as program:
    old_record = struct.pack("<qi10f", 133000000000000000, 2, *([60.0] + [6.0] * 9))
    program.write("FlightLogData.log", old_record)
    program.start()
    base = program.screenshot("base.png")
    width, _ = rvdriver.image_size(base)
    pause_mark = (width - 24, MENU_HEIGHT + 30)
    assert not near(pixel(base, *pause_mark), BLACK)

    program.key("p")
    paused = program.wait_until("paused.png", lambda shot: near(pixel(shot, *pause_mark), BLACK))
    assert near(pixel(paused, width - 36, MENU_HEIGHT + 30), BLACK)

    program.key("space")
    program.wait_until("reset.png", lambda shot: not near(pixel(shot, *pause_mark), BLACK))  # the pause cleared

    program.key("i")
    program.key("h")
    program.wait_until("lamps.png", lambda shot: all(near(pixel(shot, x, MENU_HEIGHT + 10), RED, 40)
                                                     for x in (10, width - 10)))
    program.key("i")
    program.wait_until("unlit.png", lambda shot: not near(pixel(shot, 10, MENU_HEIGHT + 10), RED, 40))

    before_bar = program.screenshot("before-bar.png")
    program.key("r")
    assert program.wait_window("Record Playback"), "R showed no bar"
    assert rvdriver.differing_pixels(before_bar, program.screenshot("bar.png")) > 2000, "R showed no bar"
    program.key("r")
    assert program.wait_window("Record Playback", shown=False), "R did not hide the bar"
    assert program.stop() == 0, program.log
    log = program.read("FlightLogData.log")
    assert len(log) == 104 and log[:52] == old_record, len(log)
    print("keys: pause, reset, lamps and bar behave; log has two records")
