"""The real program starts in an empty program folder, ticks at 20 per second, and on SIGTERM
writes its settings files and the session's log record, then exits 0."""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

with rvdriver.Program(sys.argv[1]) as program:
    spawned = time.time()
    program.start()
    run_from = program.started
    time.sleep(10)
    shot = program.screenshot("startup.png")
    width, height = rvdriver.image_size(shot)
    assert width >= 640 and height >= 480, (width, height)
    # The menu bar is light; the sky under it is not black.
    assert sum(rvdriver.pixel(shot, width // 2, 5)) > 500
    assert sum(rvdriver.pixel(shot, width // 2, 60)) > 150
    ran = time.time() - run_from
    assert program.stop() == 0, program.log
    lived = time.time() - spawned

    program.check_settings_written()
    total = struct.unpack_from("<f", program.read("FlightLogData.log"), 12)[0]
    # 20 ticks of 0.05 s each second: the simulated time follows the wall clock. The clock runs at
    # least from the first frame shown to the quit signal, and at most while the process lived (a
    # loaded machine can take seconds to show that first frame).
    assert ran - 1.0 < total < lived + 0.5, (total, ran, lived)
    print("startup: ran %.1f s, simulated %.2f s" % (ran, total))
