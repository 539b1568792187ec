"""The Debian package, installed with dpkg as root: an unprivileged pilot starts the installed program, which
keeps that pilot's files in ~/.local/share/rotorvane; a reinstall and an upgrade leave them untouched, and
removing the package leaves nothing of it behind outside that folder. Needs root (skipped otherwise) and
cleans up after itself.

usage: test_deb_package.py BUILD_DIR"""
import fcntl
import hashlib
import os
import pwd
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

SKIP = 77  # ctest's SKIP_RETURN_CODE for this test
# The package, its folder and the dpkg database belong to the whole machine: runs from several build trees
# take turns through this lock.
LOCK = os.path.join("/run/lock" if os.path.isdir("/run/lock") else "/tmp", "rotorvane-deb-package-test.lock")
LOCK_WAIT = 180  # seconds
USER = "rvpilot%d" % os.getpid()  # an account of this run's own
PACKAGE = "rotorvane"


def run(*args, **kw):
    return subprocess.run(list(args), check=True, capture_output=True, text=True, **kw).stdout


def installed():
    state = subprocess.run(["dpkg-query", "-W", "-f=${Status}", PACKAGE], capture_output=True, text=True)
    return "installed" in state.stdout and "not-installed" not in state.stdout


def folder_state(folder):
    """Every file below folder with its bytes' digest and modification time."""
    state = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                state[os.path.relpath(path, folder)] = (hashlib.sha256(f.read()).hexdigest(),
                                                        os.stat(path).st_mtime_ns)
    return state


def newer_version(deb, scratch):
    """The same package with a higher version number, to install as an upgrade."""
    tree = os.path.join(scratch, "newer")
    run("dpkg-deb", "-R", deb, tree)
    control = os.path.join(tree, "DEBIAN", "control")
    text = open(control).read().replace("Version: 2.0\n", "Version: 2.0+1\n")
    open(control, "w").write(text)
    newer = os.path.join(scratch, "rotorvane_2.0+1_amd64.deb")
    run("dpkg-deb", "-Zgzip", "--root-owner-group", "-b", tree, newer)
    return newer


class Session:
    """The pilot's account, a display of our own and the installed program run by that pilot."""

    def __init__(self):
        self.scratch = tempfile.mkdtemp(prefix="rotorvane-deb-")
        os.chmod(self.scratch, 0o755)
        self.home = os.path.join(self.scratch, "home")
        self.made_user = False
        self.xvfb = None
        self.program = None

    def make_user(self):
        run("useradd", "--home-dir", self.home, "--create-home", "--shell", "/bin/sh", USER)
        self.made_user = True
        account = pwd.getpwnam(USER)
        self.uid, self.gid = account.pw_uid, account.pw_gid

    def start_display(self):
        """A display of our own without access control, so the pilot's account can draw on it."""
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x800x24",
                                      "-ac", "-nolisten", "tcp"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            self.display = ":" + f.readline().strip()

    def start_program(self):
        """The installed program, started from the pilot's menu entry's command as the pilot."""
        self.program = rvdriver.Program(None, keep_dir=self.scratch)
        self.program.env = {"HOME": self.home, "USER": USER, "LOGNAME": USER, "PATH": "/usr/bin:/bin",
                            "DISPLAY": self.display, "SDL_AUDIODRIVER": "dummy",
                            "RV_UI_DUMP": os.path.join(self.home, "ui.txt")}
        self.program.command, self.program.cwd, self.program.user = ["rotorvane"], self.home, (self.uid, self.gid)
        self.program.start(timeout=60)
        return self.program

    def cleanup(self):
        if self.program:
            self.program.kill()
        if self.xvfb:
            self.xvfb.kill()
            self.xvfb.wait()
        if installed():
            subprocess.run(["dpkg", "--purge", PACKAGE], capture_output=True)
        if self.made_user:
            subprocess.run(["userdel", "--remove", USER], capture_output=True)
        if os.environ.get("RV_KEEP_E2E"):
            print("kept", self.scratch)
        else:
            shutil.rmtree(self.scratch, ignore_errors=True)


def take_machine_lock():
    """The lock file held open (released when the process ends), or None when another run kept it."""
    lock = open(LOCK, "w")
    deadline = time.time() + LOCK_WAIT
    while True:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return lock
        except BlockingIOError:
            if time.time() > deadline:
                lock.close()
                return None
            time.sleep(1)


def main():
    if os.geteuid() != 0:
        print("skipped: installing a Debian package needs root (run the suite as root, as CI does)")
        return SKIP
    lock = take_machine_lock()
    if lock is None:
        print("skipped: another run of this test kept the package to itself for %d s" % LOCK_WAIT)
        return SKIP
    if installed():
        print("skipped: a %s package is installed on this machine; the test will not replace it" % PACKAGE)
        return SKIP
    build_dir = sys.argv[1]
    run("cpack", "-G", "DEB", cwd=build_dir)
    deb = os.path.join(build_dir, "package", "rotorvane_2.0_amd64.deb")
    fields = run("dpkg-deb", "-f", deb, "Package", "Version", "Architecture", "Depends")
    assert "Architecture: amd64" in fields and "libsdl2" in fields and "libjpeg62-turbo" in fields, fields
    assert "fonts-dejavu-core | fonts-noto-core" in fields, fields
    contents = run("dpkg-deb", "-c", deb)
    for path in ["./usr/lib/rotorvane/rotorvane", "./usr/lib/rotorvane/data/backdrop.jpg",
                 "./usr/lib/rotorvane/recordings/Demo Flight.rec", "./usr/share/applications/rotorvane.desktop",
                 "./usr/share/icons/hicolor/32x32/apps/rotorvane.png", "./usr/share/man/man6/rotorvane.6.gz",
                 "./usr/share/metainfo/org.rotorvane.rotorvane.metainfo.xml", "./usr/share/doc/rotorvane/copyright",
                 "./usr/lib/rotorvane/rotorvane-fdm", "./usr/lib/rotorvane/helicopters/450 Sport.toml"]:
        assert path in contents, path
    assert "./usr/bin/rotorvane -> ../lib/rotorvane/rotorvane" in contents, contents
    assert "./usr/bin/rotorvane-fdm -> ../lib/rotorvane/rotorvane-fdm" in contents, contents

    session = Session()
    try:
        session.make_user()
        session.start_display()
        run("dpkg", "-i", deb)
        package_files = [p for p in run("dpkg-query", "-L", PACKAGE).splitlines() if p.startswith("/")]
        shipped = set(os.listdir("/usr/lib/rotorvane"))

        # The pilot's first flight: turn the instruments off (View > Instruments), load the shipped demo
        # flight through the chooser, stop with SIGTERM.
        program = session.start_program()
        program.menu("View", "Instruments")
        program.key("r")
        pilot = os.path.join(session.home, ".local", "share", "rotorvane")
        demo = open("/usr/lib/rotorvane/recordings/Demo Flight.rec", "rb").read()
        scratch = os.path.join(pilot, "temporary.rec")
        program.choose(lambda: program.bar_button("load"), "Demo Flight.rec",
                       lambda: os.path.isfile(scratch) and open(scratch, "rb").read() == demo)
        program.screenshot("demo-loaded.png")
        assert program.stop() == 0, program.log

        for name in ["UserPrefs.dat", "Settings.ini", "JoystickCalibration.dat", "JoystickMapping.dat",
                     "data/StartUp.par", "FlightLogData.log", "temporary.rec"]:
            path = os.path.join(pilot, name)
            assert os.path.isfile(path), name
            assert os.stat(path).st_uid == session.uid, name + " is not the pilot's"
        for folder in ["models", "recordings", "crashsounds", "ModelGeometries", "canopies"]:
            assert os.path.isdir(os.path.join(pilot, folder)), folder
        # UserPrefs.dat: tag, heliScale, then showInstruments, now off.
        prefs = open(os.path.join(pilot, "UserPrefs.dat"), "rb").read()
        assert len(prefs) == 19 and struct.unpack("<I", prefs[:4])[0] == 0x2043ABCF, prefs.hex()
        assert prefs[8] == 0, "instruments still on: " + prefs.hex()
        # The demo flight came from the install folder into the pilot's scratch recording.
        assert open(scratch, "rb").read() == demo
        assert set(os.listdir("/usr/lib/rotorvane")) == shipped, "the program wrote into its install folder"
        before = folder_state(pilot)

        # Reinstalling, and upgrading to a newer version, keep every file of the pilot's folder as it was
        # (a second later, so that a file written again would show another modification time).
        time.sleep(1.1)
        run("dpkg", "-i", deb)
        assert folder_state(pilot) == before, "reinstall changed the pilot's folder"
        run("dpkg", "-i", newer_version(deb, session.scratch))
        assert "2.0+1" in run("dpkg-query", "-W", PACKAGE)
        assert folder_state(pilot) == before, "upgrade changed the pilot's folder"

        # Removing the package leaves no file of it, and the pilot's folder alone.
        run("dpkg", "--purge", PACKAGE)
        left = [p for p in package_files if os.path.lexists(p) and not os.path.isdir(p)]
        assert not left, "left behind: %r" % left
        assert not os.path.exists("/usr/lib/rotorvane"), os.listdir("/usr/lib/rotorvane")
        assert folder_state(pilot) == before, "removal changed the pilot's folder"
    finally:
        session.cleanup()
    assert not installed()
    print("deb package: installed, run by %s with files in ~/.local/share/rotorvane, reinstalled, upgraded, removed"
          % USER)
    return 0


if __name__ == "__main__":
    sys.exit(main())
