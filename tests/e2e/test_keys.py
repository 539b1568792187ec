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

    program.key("p", pause=0.5)
    paused = program.screenshot("paused.png")
    assert near(pixel(paused, *pause_mark), BLACK), pixel(paused, *pause_mark)
    assert near(pixel(paused, width - 36, MENU_HEIGHT + 30), BLACK)

    program.key("space", pause=0.5)
    assert not near(pixel(program.screenshot("reset.png"), *pause_mark), BLACK), "Space did not clear the pause"

    program.key("i", pause=0.5)
    program.key("h", pause=0.5)
    lamps = program.screenshot("lamps.png")
    for x in (10, width - 10):
        assert near(pixel(lamps, x, MENU_HEIGHT + 10), RED, 40), (x, pixel(lamps, x, MENU_HEIGHT + 10))
    program.key("i", pause=0.5)
    assert not near(pixel(program.screenshot("unlit.png"), 10, MENU_HEIGHT + 10), RED, 40)

    before_bar = program.screenshot("before-bar.png")
    program.key("r", pause=0.6)
    assert rvdriver.differing_pixels(before_bar, program.screenshot("bar.png")) > 2000, "R showed no bar"
    program.key("r", pause=0.6)
    assert program.stop() == 0, program.log
    log = program.read("FlightLogData.log")
    assert len(log) == 104 and log[:52] == old_record, len(log)
    print("keys: pause, reset, lamps and bar behave; log has two records")
