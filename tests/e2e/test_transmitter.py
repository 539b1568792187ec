"""A transmitter (an SDL virtual joystick, preloaded by the test's shim) on the real program: the first
start without a calibration file leads through Calibrate and ends centred with the model on its pad;
at the next start with a gamepad plugged in first the same transmitter is used; unplugging it in flight
pauses and the pause stays when it returns; Cancel, Esc and leaving the program with Calibrate open give
the old calibration back byte for byte.

usage: test_transmitter.py PROGRAM_DIR SHIM"""
import os
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

TX = "RC Transmitter"
PAD = "Game Pad"


def start(program, shim, devices):
    tx = rvdriver.Transmitters(program, shim, devices)
    program.start()
    return tx


def extents(program):
    """(min, centre, max) of each axis as Calibrate shows them once it took the centres, top to bottom."""
    rows = sorted((rect[1], text) for text, rect in program.texts("Calibrate") if re.match(r"min +\d", text))
    return [tuple(int(v) for v in text.split()[1::2]) for _, text in rows] or [(None,) * 3] * 6


def move(program, tx, axis, value, shown):
    """Moves an axis and waits until Calibrate shows the reading (value + 32768) as extent shown (0 min, 2 max)."""
    tx.send("axis %d %d %s" % (axis, value, TX))
    assert program.poll(lambda: extents(program)[axis][shown] == value + 32768), (axis, value, extents(program))


def calibration(program):
    data = program.read("JoystickCalibration.dat")
    assert len(data) == 104
    fields = struct.unpack("<26i", data)
    return {"max": fields[0:6], "centre": fields[6:12], "min": fields[13:19], "raw": fields[19:25],
            "id": fields[25], "bytes": data}


def paused(shot, width):
    return rvdriver.near(rvdriver.pixel(shot, width - 24, rvdriver.MENU_HEIGHT + 30), (0, 0, 0))


def lost(program, shown=True):
    """Waits until the hint that the transmitter was lost shows (or is gone)."""
    return program.wait_text(lambda text: text.startswith("Transmitter lost"), "##Foreground", shown)


def first_start(program, shim):
    tx = start(program, shim, ["6 8 1 " + TX])
    program.click_on("OK", "Calibrate")  # centres taken with every stick centred
    assert program.wait_text("Move Sticks in circles", "Calibrate"), "OK took no centres"
    for axis in range(6):
        move(program, tx, axis, -32768, 0)
        move(program, tx, axis, 32767, 2)
        tx.send("axis %d 0 %s" % (axis, TX))
    tx.send("axis 2 -32768 " + TX)  # throttle stick down
    program.click_on("OK", "Calibrate")
    assert program.wait_window("Calibrate", shown=False), "the dialog did not close"
    program.key("p")  # the first calibration paused the simulation
    width, _ = rvdriver.image_size(program.screenshot("first-size.png"))
    a = program.wait_until("first-a.png", lambda shot: not paused(shot, width))  # resumed
    program.fly(3.0)
    b = program.screenshot("first-b.png")
    # Centred sticks, throttle down: the model rests on its pad, the picture does not change.
    assert rvdriver.differing_pixels(a, b) < 200, rvdriver.differing_pixels(a, b)
    assert program.stop() == 0
    cal = calibration(program)
    assert cal["centre"] == (32768,) * 6, cal
    assert cal["min"] == (0,) * 6 and cal["max"] == (65535,) * 6, cal
    assert program.settings()["TransmitterName"] == TX, program.settings()


def other_order_and_unplug(program, shim):
    tx = start(program, shim, ["4 12 1 " + PAD, "6 8 1 " + TX])
    tx.send("axis 1 -32768 " + PAD, "axis 2 -32768 " + TX)  # the gamepad flies nothing
    # Spool up and lift off on the transmitter, then pull its plug.
    tx.send("axis 2 20000 " + TX)
    program.fly(3.0)
    flying = program.screenshot("flying.png")
    width, _ = rvdriver.image_size(flying)
    assert not paused(flying, width)
    tx.send("detach " + TX)
    assert lost(program), "no hint that the transmitter was lost"
    lost_shot = program.wait_until("lost.png", lambda shot: paused(shot, width))  # unplugging in flight pauses
    program.fly(1.0)
    assert rvdriver.differing_pixels(lost_shot, program.screenshot("lost-later.png")) < 200
    tx.send("attach 6 8 1 " + TX, "axis 2 -32768 " + TX, "axis 1 32767 " + TX)
    assert lost(program, shown=False), "the transmitter plugged in again was not found"
    back = program.screenshot("back.png")
    assert paused(back, width), "the pause must stay until the pilot resumes"
    program.key("p")
    program.wait_until("resumed.png", lambda shot: not paused(shot, width))
    assert program.stop() == 0
    cal = calibration(program)
    # The transmitter got the second id this time and its stick is what was read at exit.
    assert cal["id"] == 1, cal
    assert cal["raw"][1] == 65535, cal


def cancel_restores(program, shim):
    before = calibration(program)["bytes"]
    tx = start(program, shim, ["4 12 1 " + PAD, "6 8 1 " + TX])
    tx.send("axis 1 32767 " + TX, "axis 2 -32768 " + TX)
    program.menu("Joystick", "Calibrate")
    tx.send("axis 0 5000 " + TX)
    program.click_on("OK", "Calibrate")  # centres taken off-centre
    assert program.poll(lambda: extents(program)[0][1] == 37768), extents(program)
    move(program, tx, 0, -20000, 0)
    move(program, tx, 0, 9000, 2)
    program.screenshot("cancel-before.png")
    program.click_on("Cancel", "Calibrate")
    assert program.wait_window("Calibrate", shown=False), "Cancel did not close Calibrate"
    tx.send("axis 0 0 " + TX)
    program.screenshot("cancel-after.png")
    # Esc cancels as well, from the first phase.
    program.menu("Joystick", "Calibrate")
    assert program.wait_text("Center Sticks", "Calibrate")
    program.screenshot("escape-before.png")
    program.key("Escape")
    assert program.wait_window("Calibrate", shown=False), "Escape did not close Calibrate"
    program.screenshot("escape-after.png")
    # Leaving the program with Calibrate open keeps the old calibration too.
    program.menu("Joystick", "Calibrate")
    program.click_on("OK", "Calibrate")
    assert program.wait_text("Move Sticks in circles", "Calibrate")
    assert program.stop() == 0
    after = calibration(program)["bytes"]
    assert after == before, "calibration changed: %s vs %s" % (after.hex(), before.hex())


with rvdriver.Program(sys.argv[1]) as program:
    first_start(program, sys.argv[2])
    other_order_and_unplug(program, sys.argv[2])
    cancel_restores(program, sys.argv[2])
    print("transmitter: calibrated at first start, bound by identity, paused when unplugged, Cancel restores")
