"""Settings files from an earlier run (or from the Windows program) load at start and are written back
at exit: calibration, mapping and model setup byte for byte, and older preferences in the current layout."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

# JoystickCalibration.dat: max, centre (6 x i32), buttons, min, raw (6 x i32), device id. The poll
# rewrites raw and buttons from the device (none at id 3 here), so those are 0 already.
calibration = struct.pack("<6i", 61000, 60000, 59000, 58000, 57000, 56000)
calibration += struct.pack("<6i", 31000, 32000, 33000, 34000, 35000, 36000)
calibration += struct.pack("<I", 0)
calibration += struct.pack("<6i", 1000, 2000, 3000, 4000, 5000, 6000)
calibration += struct.pack("<6i", 0, 0, 0, 0, 0, 0)
calibration += struct.pack("<i", 3)
assert len(calibration) == 104
# JoystickMapping.dat: axes, reverse bytes, switches, switch reversing, options, keyboard states.
mapping = struct.pack("<5i", 3, 2, 1, 0, 5) + bytes([1, 0, 1, 0, 1, 0, 0, 0])
mapping += struct.pack("<4i", 0x10003, 4, 0x10001, 0x10002) + bytes([1, 0, 1, 0])
mapping += bytes([1, 1, 0, 1, 1, 0, 1, 0])
assert len(mapping) == 56
par = bytearray(rvdriver.default_model_setup())
par[0:20] = struct.pack("<5i", 30, 40, 55, 80, 95)
par[100:104] = struct.pack("<f", 0.9)
par[176:188] = struct.pack("<3i", 10, 15, 30)
files = {"JoystickCalibration.dat": calibration, "JoystickMapping.dat": mapping, "data/StartUp.par": bytes(par),
         "UserPrefs.dat": struct.pack("<IfBB", 0x1143ABCF, 2.0, 0, 1)}

with rvdriver.Program(sys.argv[1]) as program:
    for name, data in files.items():
        program.write(name, data)
    program.start()
    assert program.stop() == 0, program.log
    for name in ("JoystickCalibration.dat", "JoystickMapping.dat", "data/StartUp.par"):
        assert program.read(name) == files[name], "%s changed: %s" % (name, program.read(name).hex())
    # The older layout holds no Background Resolution: the start-up default is written, "Medium" (2) on the
    # software renderer ("High" where a GPU takes a 4096-pixel texture).
    assert program.read("UserPrefs.dat") == rvdriver.prefs(2.0, background=2), program.read("UserPrefs.dat").hex()
    print("settings files: read at start, written back at exit")
