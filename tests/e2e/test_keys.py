"""Keyboard shortcuts on the real program: P pauses (pause marks), Space resets and clears the pause,
I and H light the idle-up and throttle-hold lamps, R shows the record/play bar; at exit the session
is appended to an existing log."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

MENU = 19  # the menu bar's height: the client area, and its overlay, start below it
RED = (204, 0, 0)


def near(colour, expected, tolerance=40):
    return all(abs(c - e) <= tolerance for c, e in zip(colour, expected))


def main():
    program = rvdriver.Program(sys.argv[1]).install()
    old_record = struct.pack("<qi10f", 133000000000000000, 2, *([60.0] + [6.0] * 9))
    with open(program.path("FlightLogData.log"), "wb") as f:
        f.write(old_record)
    try:
        program.start()
        base = program.screenshot("base.png")
        width, _ = rvdriver.image_size(base)
        pause_mark = (width - 24, MENU + 30)
        assert not near(rvdriver.pixel(base, *pause_mark), (0, 0, 0), 10)

        program.key("p", pause=0.5)
        paused = program.screenshot("paused.png")
        assert near(rvdriver.pixel(paused, *pause_mark), (0, 0, 0), 10), rvdriver.pixel(paused, *pause_mark)
        assert near(rvdriver.pixel(paused, width - 36, MENU + 30), (0, 0, 0), 10)

        program.key("space", pause=0.5)
        reset = program.screenshot("reset.png")
        assert not near(rvdriver.pixel(reset, *pause_mark), (0, 0, 0), 10), "Space did not clear the pause"

        program.key("i", pause=0.5)
        program.key("h", pause=0.5)
        lamps = program.screenshot("lamps.png")
        assert near(rvdriver.pixel(lamps, 10, MENU + 10), RED), rvdriver.pixel(lamps, 10, MENU + 10)
        assert near(rvdriver.pixel(lamps, width - 10, MENU + 10), RED), rvdriver.pixel(lamps, width - 10, MENU + 10)
        program.key("i", pause=0.5)
        unlit = program.screenshot("unlit.png")
        assert not near(rvdriver.pixel(unlit, 10, MENU + 10), RED)

        before_bar = program.screenshot("before-bar.png")
        program.key("r", pause=0.6)
        bar = program.screenshot("bar.png")
        assert rvdriver.differing_pixels(before_bar, bar) > 2000, "R showed no record/play bar"
        program.key("r", pause=0.6)
        code = program.stop()
    finally:
        program.kill()
    assert code == 0, code
    log = open(program.path("FlightLogData.log"), "rb").read()
    assert len(log) == 104, len(log)
    assert log[:52] == old_record
    print("keys: pause, reset, lamps and bar behave; log has two records")
    program.cleanup()


if __name__ == "__main__":
    main()
