"""What a new pilot meets at once, on the real program with a virtual transmitter: a start with the throttle
stick at half (a self-centring gamepad stick) keeps the rotor still and says so until the throttle has been
at idle once; the larger instrument sizes draw the rotor speed under the dial; a pause shows
"Paused: P to fly" beside the pause mark. The transmitter check, with one axis sending every 2 ms and another
every 25 ms in 64 levels, names the slow and steppy one and only it.

usage: test_pilot_aids.py PROGRAM_DIR SHIM"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

TX = "RC Transmitter"
W, H = 1024, 768
INTERLOCK = "Motor off: the throttle was above idle at the start or reset. Bring it to idle once to fly"


def calibration_file():
    """Every axis over SDL's whole travel, centred in the middle, device 0."""
    return struct.pack("<26i", *([65535] * 6 + [32768] * 6 + [0] + [0] * 6 + [32768] * 6 + [0]))


with rvdriver.Program(sys.argv[1]) as program:
    program.write("UserPrefs.dat", rvdriver.prefs(instruments=True, smooth=False))
    program.write("JoystickCalibration.dat", calibration_file())
    program.write("Settings.ini", "InstrumentSize = 2\n")
    # Every axis starts centred: the throttle stick (axis 2) at half.
    tx = rvdriver.Transmitters(program, sys.argv[2], ["6 8 1 " + TX])
    program.start()
    # The rotor speed under the large dial (left, bottom row) stays "0 rpm" while the throttle is at half.
    dial = (0, rvdriver.MENU_HEIGHT + H - rvdriver.MENU_HEIGHT - 40, 260, 40)
    first = program.screenshot("start.png")
    before = rvdriver.region(first, *dial)
    assert rvdriver.white_pixels(before) > 30, "no numbers under the large dials: see %s" % first
    # The hint above the stick boxes (white text on a dark backing) says why.
    assert program.wait_text(INTERLOCK, "##Foreground"), "no interlock hint"
    program.fly(3.0)
    still = program.screenshot("still.png")
    assert rvdriver.region(still, *dial) == before, "the rotor turned with the throttle at half at the start: see %s" % still
    hint = rvdriver.region(still, 150, 500, 724, 200)
    assert rvdriver.white_pixels(hint) > 100, "no interlock hint: see %s" % still
    # Throttle to idle once, then up again: the motor now runs the rotor up.
    tx.send("axis 2 -32768 " + TX)
    assert program.wait_text(INTERLOCK, "##Foreground", shown=False), "the interlock hint stayed"
    tx.send("axis 2 20000 " + TX)
    running = program.wait_until("running.png", lambda shot: rvdriver.region(shot, *dial) != before)  # the rotor turns
    assert rvdriver.white_pixels(rvdriver.region(running, 150, 500, 724, 200)) < rvdriver.white_pixels(hint) - 100, \
        "the interlock hint stayed: see %s" % running
    # Pause: the hint beside the pause mark.
    tx.send("axis 2 -32768 " + TX)
    program.key("p")
    assert program.wait_text("Paused: P to fly", "##Foreground"), "P did not pause"
    paused = program.screenshot("paused.png")
    assert rvdriver.near(rvdriver.pixel(paused, W - 24, rvdriver.MENU_HEIGHT + 30), (0, 0, 0)), paused
    assert rvdriver.white_pixels(rvdriver.region(paused, W - 200, rvdriver.MENU_HEIGHT + 20, 150, 20)) > 20, \
        "no \"Paused: P to fly\": see %s" % paused
    # Transmitter check: axis X (0) every 2 ms in 1024 levels, axis Y (1) every 25 ms in 64 levels.
    tx.send("sweep 0 2 1024 " + TX, "sweep 1 25 64 " + TX)
    program.menu("Joystick", "Transmitter check")
    for said in ("Axis Y sends a new value only every 2", "Axis Y moves in 64 steps"):
        assert program.wait_output("Transmitter check: " + said), "not said: %s" % said
    check = program.screenshot("transmitter-check.png")
    tx.send("sweep 0 0 0 " + TX, "sweep 1 0 0 " + TX)
    assert program.stop() == 0
    said = [line for line in program.log.splitlines() if line.startswith("Transmitter check:")]
    assert not any("Axis X" in line for line in said), (said, check)
print("pilot aids: ok")
