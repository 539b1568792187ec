"""The realistic model chosen from the menu on the real program: Model > Flight Model > "450 Sport" is kept in
Settings.ini, the helicopter starts on its pad with the rotor stopped and the governor spools it up to its
head speed (no transmitter plugged in: a calibration centred on the idle reading holds every stick at
centre, the throttle curve's middle arms the governor); the instant replay's frames show the rotor speed
rising from rest to 2700 rpm on the pad. With --docs DIR it also writes the realistic hover and inverted
pass screenshots.

usage: test_realistic_model.py PROGRAM_DIR [--docs DIR]"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402


def centred_calibration():
    """JoystickCalibration.dat: every axis centred on the reading 0 a missing device gives, device 0."""
    return (struct.pack("<6i", *[40000] * 6) + struct.pack("<6i", *[0] * 6) + struct.pack("<i", 0) +
            struct.pack("<6i", *[-40000] * 6) + struct.pack("<6i", *[0] * 6) + struct.pack("<i", 0))


def replay_rpms(path):
    data = open(path, "rb").read()
    magic, count = struct.unpack("<II", data[:8])
    assert magic == 0x12123225 and len(data) == 8 + 88 * count, (hex(magic), count, len(data))
    return [struct.unpack("<16f", data[8 + 88 * n: 8 + 88 * n + 64]) for n in range(count)]


with rvdriver.Program(sys.argv[1]) as program:
    assert len(centred_calibration()) == 104
    program.write("JoystickCalibration.dat", centred_calibration())
    program.write("UserPrefs.dat", rvdriver.prefs(instruments=True))
    # No transmitter to take the throttle to idle first: the motor's start interlock is off.
    program.write("Settings.ini", "ThrottleInterlock = 0\n")
    program.start()
    program.menu("Model", "Flight Model", "450 Sport")
    assert program.poll(lambda: "FlightModel = 450 Sport" in program.read("Settings.ini").decode()), \
        "450 Sport was not chosen: see %s" % program.screenshot("flight-model.png")
    # Without a transmitter the simulation may wait paused ("Paused: P to fly" at the top right): fly on.
    program.wait_frames(2)
    if program.find("Paused: P to fly", "##Foreground"):
        program.key("p")
    assert program.wait_text("Paused: P to fly", "##Foreground", shown=False), "P did not end the pause"
    program.fly(10.0)  # the soft start: six seconds from rest to the head speed

    program.key("r")
    program.bar_button("replay")
    assert program.poll(lambda: os.path.exists(program.path("temporary.rec"))), "no instant replay"
    frames = replay_rpms(program.path("temporary.rec"))
    rpms = [f[1] for f in frames]
    # From rest after the choice to the head speed, on the pad all the while.
    rest = max(i for i, r in enumerate(rpms) if r < 50.0)
    assert rpms[-1] > 2600.0 and rpms[-1] < 2800.0, rpms[-20:]
    assert all(b >= a - 30.0 for a, b in zip(rpms[rest:], rpms[rest + 1:])), "the rotor did not spool up steadily"
    assert len(rpms) - rest >= 6.0 * 20, (len(rpms), rest)  # at least six seconds at 20 frames a second
    for f in frames[rest:]:
        assert abs(f[2]) < 0.5 and abs(f[3] - 6.0) < 0.5 and f[4] < 0.5, ("left the pad", f[2:5])
    assert program.stop() == 0, program.log
    assert "FlightModel = 450 Sport" in program.read("Settings.ini").decode()
    print("450 Sport chosen from the menu; rotor from rest to %.0f rpm in %d frames" % (rpms[-1], len(rpms) - rest))
