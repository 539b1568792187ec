"""The ways a run ends: SIGHUP, SIGQUIT and SIGINT run the normal shutdown and every settings file is
written; without a window system the program says why and exits with status 1 at once; and when the
program folder stops being writable, a failed save keeps the old file whole and is reported with its name."""
import glob
import os
import signal
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402


def signals(program_dir):
    for sig in (signal.SIGHUP, signal.SIGQUIT, signal.SIGINT):
        # No xdg-open on the path: "View log" says where the text was written.
        with rvdriver.Program(program_dir, env={"PATH": "/nonexistent"}) as program:
            program.start()
            program.menu("Simulation", "Log", "View log")
            assert program.wait_output("It was written to"), "View log said nothing"
            assert program.stop(sig) == 0, (sig, program.log)
            program.check_settings_written(sig.name)
            assert not glob.glob(program.path("**", "*.tmp-*"), recursive=True), "temporary files left"
            text = program.path("FlightLog.txt")
            assert os.path.isfile(text) and "It was written to %s" % text in program.log, program.log
            print("%s: normal shutdown, all settings files written" % sig.name)


def no_display(program_dir):
    with rvdriver.Program(program_dir) as program:
        for extra in ({"DISPLAY": "", "WAYLAND_DISPLAY": ""}, {"SDL_VIDEODRIVER": "offscreen"}):
            env = dict(program.env)
            env.pop("DISPLAY", None)
            env.pop("WAYLAND_DISPLAY", None)
            env.update(extra)
            if "SDL_VIDEODRIVER" in extra:
                env["DISPLAY"] = os.environ.get("DISPLAY", ":0")
            begin = time.time()
            done = subprocess.run([program.path("rotorvane")], env=env, capture_output=True, text=True, timeout=10)
            took = time.time() - begin
            lines = done.stderr.strip().splitlines()
            assert done.returncode == 1, (extra, done.returncode, done.stderr)
            assert took < 2.0, (extra, took)
            assert len(lines) == 1 and "window system" in lines[0], (extra, done.stderr)
            print("no display (%s): exit 1 after %.2f s: %s" % (extra, took, lines[0]))


def lock(folder, locked):
    """Makes folder refuse new files (for root, whom permissions do not stop, with the immutable
    attribute). Returns whether it now refuses them."""
    if locked:
        os.chmod(folder, 0o555)
    if os.geteuid() == 0:
        subprocess.run(["chattr", "+i" if locked else "-i", folder], capture_output=True)
    if not locked:
        os.chmod(folder, 0o755)
    probe = os.path.join(folder, "probe")
    try:
        open(probe, "w").close()
        os.remove(probe)
        return False
    except OSError:
        return True


def failed_save(program_dir):
    program = rvdriver.Program(program_dir).install()
    old_log = struct.pack("<IIi10f", 1, 2, 3, *range(10))
    prefs = rvdriver.prefs()
    program.write("FlightLogData.log", old_log)
    program.write("UserPrefs.dat", prefs)
    try:
        program.start()
        if not lock(program.dir, True):
            print("failed save: the program folder cannot be made read-only here; skipped")
            program.kill()
            return
        program.menu("Simulation", "Log", "Append session to log")
        assert program.wait_window("###messagebox"), "no message about the failed save"
        # The folder is read-only now: the screenshot goes beside it.
        shot = program.dir.rstrip("/") + "-failed-save.png"
        subprocess.run(["import", "-window", program.window, shot], check=True, capture_output=True)
        program.key("Return")
        assert program.wait_window("###messagebox", shown=False), "Return did not close the message"
        code = program.stop()
    finally:
        program.kill()
        lock(program.dir, False)
    log = program.log
    assert code == 0, (code, log)
    assert program.read("FlightLogData.log") == old_log, "the old log was not kept whole"
    assert program.read("UserPrefs.dat") == prefs, "the old preferences were not kept whole"
    wanted = "Could not save %s:" % program.path("FlightLogData.log")
    assert log.count(wanted) == 1, log
    assert "Could not save %s:" % program.path("UserPrefs.dat") in log, log
    # The message box over the field: white inside, below its two lines of text at the window's centre.
    assert min(rvdriver.pixel(shot, 512, 395)) > 230, rvdriver.pixel(shot, 512, 395)
    print("failed save: old files whole, one message naming the log")
    program.cleanup()
    os.remove(shot)


no_display(sys.argv[1])
signals(sys.argv[1])
failed_save(sys.argv[1])
