"""The real program starts in an empty program folder, ticks at 20 per second, and on SIGTERM
writes its settings files and the session's log record, then exits 0."""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402


def main():
    program = rvdriver.Program(sys.argv[1]).install()
    try:
        spawned = time.time()
        program.start()
        run_from = program.started
        time.sleep(10)
        shot = program.screenshot("startup.png")
        width, height = rvdriver.image_size(shot)
        assert width >= 640 and height >= 480, (width, height)
        # The menu bar is light; the sky under it is not black.
        bar = rvdriver.pixel(shot, width // 2, 5)
        assert sum(bar) > 500, bar
        sky = rvdriver.pixel(shot, width // 2, 60)
        assert sum(sky) > 150, sky
        ran = time.time() - run_from
        code = program.stop()
        lived = time.time() - spawned
    finally:
        program.kill()
    assert code == 0, code

    par = open(program.path("data", "StartUp.par"), "rb").read()
    assert par == rvdriver.default_model_setup(), "StartUp.par is not the defaults"
    prefs = open(program.path("UserPrefs.dat"), "rb").read()
    assert len(prefs) == 19 and struct.unpack_from("<I", prefs)[0] == 0x2043ABCF, prefs
    assert os.path.getsize(program.path("JoystickCalibration.dat")) == 104
    assert os.path.getsize(program.path("JoystickMapping.dat")) == 56
    log = open(program.path("FlightLogData.log"), "rb").read()
    assert len(log) == 52, len(log)
    total = struct.unpack_from("<f", log, 12)[0]
    # 20 ticks of 0.05 s each second: the simulated time follows the wall clock. The clock runs at
    # least from the first frame shown to the quit signal, and at most while the process lived (a
    # loaded machine can take seconds to show that first frame).
    assert ran - 1.0 < total < lived + 0.5, (total, ran, lived)
    print("startup: ran %.1f s, simulated %.2f s" % (ran, total))
    program.cleanup()


if __name__ == "__main__":
    main()
