"""A transmitter (an SDL virtual joystick, preloaded by the test's shim) on the real program: the first
start without a calibration file leads through Calibrate and ends centred with the model on its pad;
at the next start with a gamepad plugged in first the same transmitter is used; unplugging it in flight
pauses and the pause stays when it returns; Cancel, Esc and leaving the program with Calibrate open give
the old calibration back byte for byte.

usage: test_transmitter.py PROGRAM_DIR SHIM"""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

TX = "RC Transmitter"
PAD = "Game Pad"
FIRST_OK = (293, 515)   # the first-start Calibrate dialog (with its explanation)
MENU_OK, MENU_CANCEL = (293, 483), (420, 483)  # Calibrate opened from the menu
CALIBRATE = (345, 47)  # the Joystick menu's title x and its Calibrate row


class Transmitters:
    def __init__(self, program):
        self.path = program.path("vjoy.txt")
        open(self.path, "w").close()

    def send(self, *lines, pause=0.3):
        with open(self.path, "a") as f:
            f.write("".join(line + "\n" for line in lines))
        time.sleep(pause)


def start(program, shim, devices):
    shim = os.path.abspath(shim)  # the program runs in another folder
    program.env.update({"LD_PRELOAD": shim, "RV_VJOY_START": ";".join(devices),
                        "RV_VJOY_COMMANDS": program.path("vjoy.txt")})
    tx = Transmitters(program)
    program.start()
    return tx


def calibration(program):
    data = program.read("JoystickCalibration.dat")
    assert len(data) == 104
    fields = struct.unpack("<26i", data)
    return {"max": fields[0:6], "centre": fields[6:12], "min": fields[13:19], "raw": fields[19:25],
            "id": fields[25], "bytes": data}


def paused(shot, width):
    return rvdriver.near(rvdriver.pixel(shot, width - 24, rvdriver.MENU_HEIGHT + 30), (0, 0, 0))


def first_start(program, shim):
    tx = start(program, shim, ["6 8 1 " + TX])
    program.click(*FIRST_OK)  # centres taken with every stick centred
    for axis in range(6):
        for value in (-32768, 32767, 0):  # each held for more than one 100 ms dialog tick
            tx.send("axis %d %d %s" % (axis, value, TX), pause=0.25)
    tx.send("axis 2 -32768 " + TX)  # throttle stick down
    program.click(*FIRST_OK)  # the dialog closes
    program.key("p", pause=0.2)  # the first calibration paused the simulation
    width, _ = rvdriver.image_size(program.screenshot("first-size.png"))
    a = program.wait_until("first-a.png", lambda shot: not paused(shot, width))  # resumed
    time.sleep(3.0)
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
    tx.send("axis 1 -32768 " + PAD, "axis 2 -32768 " + TX, pause=0.5)  # the gamepad flies nothing
    # Spool up and lift off on the transmitter, then pull its plug.
    tx.send("axis 2 20000 " + TX, pause=3.0)
    flying = program.screenshot("flying.png")
    width, _ = rvdriver.image_size(flying)
    assert not paused(flying, width)
    tx.send("detach " + TX, pause=0.2)
    lost = program.wait_until("lost.png", lambda shot: paused(shot, width))  # unplugging in flight pauses
    time.sleep(1.0)
    assert rvdriver.differing_pixels(lost, program.screenshot("lost-later.png")) < 200
    tx.send("attach 6 8 1 " + TX, "axis 2 -32768 " + TX, "axis 1 32767 " + TX, pause=1.0)
    back = program.screenshot("back.png")
    assert paused(back, width), "the pause must stay until the pilot resumes"
    program.key("p", pause=0.2)
    program.wait_until("resumed.png", lambda shot: not paused(shot, width))
    assert program.stop() == 0
    cal = calibration(program)
    # The transmitter got the second id this time and its stick is what was read at exit.
    assert cal["id"] == 1, cal
    assert cal["raw"][1] == 65535, cal


def cancel_restores(program, shim):
    before = calibration(program)["bytes"]
    tx = start(program, shim, ["4 12 1 " + PAD, "6 8 1 " + TX])
    tx.send("axis 1 32767 " + TX, "axis 2 -32768 " + TX, pause=0.5)
    program.menu(*CALIBRATE)
    tx.send("axis 0 5000 " + TX)
    program.click(*MENU_OK)  # centres taken off-centre
    tx.send("axis 0 -20000 " + TX, "axis 0 9000 " + TX)
    program.screenshot("cancel-before.png")
    program.click(*MENU_CANCEL)
    tx.send("axis 0 0 " + TX)
    program.screenshot("cancel-after.png")
    # Esc cancels as well, from the first phase.
    program.menu(*CALIBRATE)
    program.screenshot("escape-before.png")
    program.key("Escape", pause=0.5)
    program.screenshot("escape-after.png")
    # Leaving the program with Calibrate open keeps the old calibration too.
    program.menu(*CALIBRATE)
    program.click(*MENU_OK)
    assert program.stop() == 0
    after = calibration(program)["bytes"]
    assert after == before, "calibration changed: %s vs %s" % (after.hex(), before.hex())


with rvdriver.Program(sys.argv[1]) as program:
    first_start(program, sys.argv[2])
    other_order_and_unplug(program, sys.argv[2])
    cancel_restores(program, sys.argv[2])
    print("transmitter: calibrated at first start, bound by identity, paused when unplugged, Cancel restores")
