"""Drives the real Rotorvane program under X: a temporary program folder, xdotool, screenshots."""
import os
import shutil
import signal
import sys
import struct
import subprocess
import tempfile
import time

MENU_HEIGHT = 19  # the menu bar: the client area, and its overlay, start below it
BAR_Y = 95  # the row through the record/play bar's buttons, where it first appears (window coordinates)
# The x of each record/play bar button on that row.
BAR = {"play": 64, "slow": 100, "pause": 136, "stop": 172, "record": 563, "load": 599, "save": 635, "replay": 671}
PREFS_TAG = 0x2043ABCF
SETTINGS_FILES = ["UserPrefs.dat", "JoystickCalibration.dat", "JoystickMapping.dat", "data/StartUp.par",
                  "FlightLogData.log", "Settings.ini"]


class Program:
    """The program in a temporary folder. As a context manager it installs itself, kills a program still
    running at the end, and removes the folder when the block passed."""

    def __init__(self, program_dir, keep_dir=None, env=None):
        self.source = program_dir
        self.dir = keep_dir or tempfile.mkdtemp(prefix="rotorvane-e2e-")
        self.env = dict(os.environ)
        self.env.setdefault("SDL_AUDIODRIVER", "disk")
        self.env["SDL_DISKAUDIOFILE"] = os.path.join(self.dir, "audio.raw")
        self.env["SDL_DISKAUDIODELAY"] = "50"
        # The program writes its frame number and the ImGui windows of each frame here (see ui()).
        self.env["RV_UI_DUMP"] = os.path.join(self.dir, "ui.txt")
        if env:
            self.env.update(env)
        self.command = [self.path("rotorvane")]
        self.cwd = "/"
        self.user = None  # (uid, gid) to run the program as another account
        self.proc = None
        self.window = None
        self.started = None
        self.log = ""

    def __enter__(self):
        return self.install()

    def __exit__(self, kind, value, trace):
        self.kill()
        if kind is None:
            self.cleanup()
        return False

    def install(self):
        """Copies the executable and its data folders (no settings a previous run left) into the
        temporary program folder."""
        for name in os.listdir(self.source):
            src = os.path.join(self.source, name)
            dst = os.path.join(self.dir, name)
            if os.path.isdir(src):
                shutil.copytree(src, dst, dirs_exist_ok=True)
            elif name == "rotorvane":
                shutil.copy2(src, dst)
        for leftover in ("data/StartUp.par", "temporary.rec"):
            if os.path.exists(self.path(leftover)):
                os.remove(self.path(leftover))
        # The click positions of the tests are those of ImGui's built-in font (the program's default
        # typeface lays the menus and dialogs out a little differently).
        self.write("Settings.ini", "")
        return self

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def read(self, rel):
        with open(self.path(rel), "rb") as f:
            return f.read()

    def write(self, rel, data):
        """Writes a file of the program folder; Settings.ini keeps the built-in font unless it names one."""
        if rel == "Settings.ini" and isinstance(data, str) and "Typeface" not in data:
            data = "Typeface = builtin\n" + data
        with open(self.path(rel), "wb" if isinstance(data, bytes) else "w") as f:
            f.write(data)

    def settings(self):
        """Settings.ini as a dictionary of its keys."""
        values = {}
        for line in open(self.path("Settings.ini")):
            if "=" in line and not line.lstrip().startswith(("#", ";")):
                key, value = line.split("=", 1)
                values[key.strip()] = value.strip()
        return values

    def check_settings_written(self, what=""):
        """Every settings file of a normal shutdown is there, the defaults and one log record."""
        prefs = self.read("UserPrefs.dat")
        assert len(prefs) == 19 and struct.unpack_from("<I", prefs)[0] == PREFS_TAG, (what, prefs)
        assert self.read("data/StartUp.par") == default_model_setup(), (what, "StartUp.par is not the defaults")
        assert len(self.read("JoystickCalibration.dat")) == 104, what
        assert len(self.read("JoystickMapping.dat")) == 56, what
        assert len(self.read("FlightLogData.log")) == 52, what
        assert os.path.isfile(self.path("Settings.ini")), what

    def start(self, timeout=30):
        """Starts the program and waits for its window. A start that shows no window in time is
        reported with the program's thread stacks, then tried once more; so is a start the X server
        refused for the moment (the program then says it found no window system)."""
        try:
            return self._start(timeout)
        except TimeoutError as e:
            print("first start failed: %s" % e, file=sys.stderr)
        except RuntimeError as e:
            if "no window system" not in str(e):
                raise
            print("first start failed: %s" % e, file=sys.stderr)
            time.sleep(1.0)
        return self._start(timeout)

    def _start(self, timeout):
        user = {"user": self.user[0], "group": self.user[1], "extra_groups": []} if self.user else {}
        self.proc = subprocess.Popen(self.command, cwd=self.cwd, env=self.env, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, **user)
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                out = self.proc.stdout.read().decode(errors="replace")
                raise RuntimeError("program exited early with %s: %s" % (self.proc.returncode, out))
            # The program shows its window once it can draw (the window exists hidden before).
            found = self.x("xdotool", "search", "--onlyvisible", "--name", "^Rotorvane$")
            ids = found.stdout.split()
            if ids:
                self.window = ids[-1]
                # The window shows once the textures are loaded, as the simulation clock starts.
                self.started = time.time()
                self._wait_for_first_frame(deadline)
                if not self.wait_frames(3, timeout=max(10.0, deadline - time.time())):
                    raise TimeoutError("the window shows but the program draws no frames")
                return self
            time.sleep(0.2)
        stacks = ""
        if shutil.which("gdb"):
            stacks = subprocess.run(["gdb", "-p", str(self.proc.pid), "-batch", "-ex", "thread apply all bt 12"],
                                    capture_output=True, text=True).stdout
        windows = self.x("xdotool", "search", "--name", ".")
        self.kill()
        raise TimeoutError("no Rotorvane window within %s s (windows: %r %r)\n%s"
                           % (timeout, windows.stdout, windows.stderr, stacks))

    def _wait_for_first_frame(self, deadline):
        """Waits until the window shows its menu bar: the textures are loaded and the clock runs."""
        probe = self.path("first-frame.png")
        while time.time() < deadline:
            shot = self.x("import", "-window", self.window, probe)
            if shot.returncode == 0 and min(pixel(probe, 4, 4)) > 150:
                return
            time.sleep(0.2)
        raise TimeoutError("the window showed no frame in time")

    def x(self, *command, check=False):
        """Runs an X tool (xdotool, import) on the program's display."""
        env = dict(os.environ, DISPLAY=self.env.get("DISPLAY", os.environ.get("DISPLAY", "")))
        return subprocess.run(list(command), capture_output=True, text=command[0] == "xdotool", env=env,
                              check=check)

    def ui(self):
        """The program's own account of its last frame: {"frame": n, "style": (font size, window padding
        x, y, item spacing x, y), "focus": name, "windows": {name: (x, y, w, h)}}; None before the first."""
        try:
            with open(self.env["RV_UI_DUMP"]) as f:
                lines = f.read().splitlines()
        except OSError:
            return None
        found = {"frame": -1, "style": (13.0, 8.0, 8.0, 8.0, 4.0), "focus": "", "windows": {}}
        for line in lines:
            kind, _, rest = line.partition(" ")
            if kind == "frame":
                found["frame"] = int(rest)
            elif kind == "style":
                found["style"] = tuple(float(v) for v in rest.split())
            elif kind == "focus":
                found["focus"] = rest
            elif kind == "window":
                parts = rest.split(" ", 4)
                found["windows"][parts[4]] = tuple(float(v) for v in parts[:4])
        return found if found["frame"] >= 0 else None

    def frame(self):
        shown = self.ui()
        return shown["frame"] if shown else -1

    def wait_frames(self, count=2, timeout=10.0):
        """Waits until the program has drawn count more frames, so that an input sent before is seen;
        False when it drew none in time or has ended (a key may end it)."""
        first = self.frame()
        deadline = time.time() + timeout
        while self.frame() < first + count:
            if time.time() >= deadline or (self.proc and self.proc.poll() is not None):
                return False
            time.sleep(0.02)
        return True

    def find_window(self, part):
        """The rectangle of the first ImGui window drawn in the last frame whose name contains part."""
        shown = self.ui()
        for name, rect in (shown["windows"].items() if shown else ()):
            if part in name:
                return rect
        return None

    def wait_window(self, part, shown=True, timeout=10.0):
        """Waits until a window whose name contains part is drawn (or, with shown False, is gone)."""
        deadline = time.time() + timeout
        while (self.find_window(part) is not None) != shown:
            if time.time() >= deadline:
                return False
            time.sleep(0.03)
        return True

    def key(self, name, pause=0.3):
        """Presses and releases a key as a finger does: held until the program drew two frames, so that
        the press and the release never fall between the same two frames, and a frame after the release."""
        self.x("xdotool", "keydown", "--window", self.window, name, check=True)
        self.wait_frames(2)
        self.x("xdotool", "keyup", "--window", self.window, name, check=True)
        self.wait_frames(1)
        time.sleep(pause)

    def type(self, text, pause=0.3):
        self.x("xdotool", "type", "--delay", "40", text, check=True)
        time.sleep(pause)

    def click(self, x, y, pause=0.4, hold=False):
        """A real pointer click at (x, y) (a click sent to the window is synthetic and ignored); with hold,
        pressed for a few frames, so that a slow frame cannot swallow it."""
        self.x("xdotool", "mousemove", "--window", self.window, str(x), str(y), check=True)
        self.wait_frames(2)  # hovered first, as ImGui needs
        self.x("xdotool", "mousedown", "1", check=True)
        self.wait_frames(2 if hold else 1)
        self.x("xdotool", "mouseup", "1", check=True)
        self.wait_frames(1)
        time.sleep(pause)

    def menu(self, title_x, item_y=None, pause=0.8, row=None):
        """Opens the menu whose title is at title_x and clicks the item on window row item_y, or the
        row-th item (from 0) placed by the pop-up's own rectangle and style sizes. The title is clicked
        again while the program draws no pop-up menu (a click can fall between two slow frames); the
        item's click is repeated while the pop-up stays."""
        for _ in range(3):
            if not self.find_window("##Menu_"):
                self.click(title_x, 9, pause=0.0)
            if self.wait_window("##Menu_", timeout=5):
                break
        else:
            raise AssertionError("the menu at x %d did not open: see %s" % (title_x, self.screenshot("menu.png")))
        x, y, w, h = self.find_window("##Menu_") or (0, 0, 0, 0)
        if row is not None:
            font, _, pad_y, _, spacing_y = self.ui()["style"]
            item_y = int(y + pad_y + row * (font + spacing_y) + font / 2)
        assert y <= item_y < y + h, ("row %d is not in the menu" % item_y, x, y, w, h)
        for _ in range(3):
            self.click(title_x + 30, item_y, pause=0.0)
            if self.wait_window("##Menu_", shown=False, timeout=5):
                break
        time.sleep(pause)

    def dismiss_messages(self, most=20):
        """Presses Return while the program shows a message box (one Return closes one box); returns how
        many boxes it closed."""
        closed = 0
        self.wait_frames(3)
        while self.find_window("###messagebox") and closed < most:
            self.key("Return", pause=0.0)
            self.wait_frames(2)
            closed += 1
        return closed

    def wait_for_light_row(self, x, y, timeout):
        """Waits until most of 40 pixels from (x, y) rightwards are light grey or white (a pop-up shown)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            row = self.x("import", "-window", self.window, "-crop", "40x1+%d+%d" % (x, y), "-depth", "8",
                         "rgb:-").stdout
            darkest = sorted(min(row[i:i + 3]) for i in range(0, len(row) - 2, 3))
            if darkest and darkest[len(darkest) // 2] >= 200:
                return True
            time.sleep(0.3)
        return False

    def choose(self, open_chooser, name, done=None, tries=3):
        """Opens a file chooser, types name and presses Return, until done() holds: on a loaded machine a
        frame can take longer than a click or a key press, and one that starts and ends between two frames
        is not seen. A second click while the chooser is open does nothing."""
        for _ in range(tries):
            if not self.find_window("###filechooser"):
                open_chooser()
            if not self.wait_window("###filechooser", timeout=10):
                continue
            self.wait_frames(2)  # the name field takes the keyboard focus
            self.key("ctrl+a", pause=0.1)
            self.type(name)
            self.wait_frames(2)
            for _ in range(3):  # Return again while the chooser still shows
                self.key("Return", pause=0.1)
                if self.wait_window("###filechooser", shown=False, timeout=5):
                    break
            if done is None:
                return
            deadline = time.time() + 10
            while time.time() < deadline:
                if done():
                    return
                time.sleep(0.1)
        raise AssertionError("the chooser did not take %s: see %s" % (name, self.screenshot("chooser.png")))

    def wait_until(self, name, holds, timeout=15.0):
        """Takes screenshots until holds(picture) is true and returns that picture; fails after timeout
        seconds with the last one. For what the program shows on screen, in place of a fixed wait."""
        deadline = time.time() + timeout
        while True:
            shot = self.screenshot(name)
            if holds(shot):
                return shot
            if time.time() >= deadline:
                raise AssertionError("%s: not seen within %.0f s (see %s)" % (name, timeout, shot))
            time.sleep(0.2)

    def bar_button(self, name, pause=1.0):
        self.click(BAR[name], BAR_Y, pause=pause)

    def screenshot(self, name):
        out = self.path(name)
        self.x("import", "-window", self.window, out, check=True)
        return out

    def stop(self, sig=signal.SIGTERM, timeout=30):
        """Ends the program with a signal; returns its exit code and keeps its output in self.log."""
        self.proc.send_signal(sig)
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise
        self.log = self.proc.stdout.read().decode(errors="replace")
        # Under a sanitizer build any report fails the test that ran the program.
        for report in ("WARNING: ThreadSanitizer", "ERROR: AddressSanitizer", "runtime error:"):
            assert report not in self.log, self.log
        return self.proc.returncode

    def cleanup(self):
        """Removes the temporary program folder after a passing run (RV_KEEP_E2E=1 keeps it)."""
        if not os.environ.get("RV_KEEP_E2E"):
            shutil.rmtree(self.dir, ignore_errors=True)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def near(colour, expected, tolerance=10):
    return all(abs(c - e) <= tolerance for c, e in zip(colour, expected))


def prefs(scale=1.5, instruments=False, smooth=True, background=1, motor_sound=False):
    """A 19-byte UserPrefs.dat in the current layout (crash sound and building on, the rest off)."""
    return struct.pack("<IfBBiBBBBB", PREFS_TAG, scale, instruments, smooth, background, motor_sound, 1, 1, 0, 0)


def pixel(png, x, y):
    """Returns the (r, g, b) of one pixel of a picture, through ImageMagick."""
    out = subprocess.run(["convert", png, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout
    return tuple(out[:3])


def differing_pixels(a, b):
    """How many pixels two pictures of one size differ in, through ImageMagick."""
    out = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True)
    return int(float(out.stderr.split()[0]))


def image_size(png):
    out = subprocess.run(["identify", "-format", "%w %h", png], capture_output=True, text=True,
                         check=True).stdout.split()
    return int(out[0]), int(out[1])


def default_model_setup():
    """The 196-byte .par file of the defaults, built from the record's table."""
    curves = [40, 45, 50, 75, 100, 0, 25, 50, 75, 100, 0, 70, 80, 90, 100, 100, 90, 85, 90, 100]
    data = struct.pack("<20i", *curves)
    data += struct.pack("<18f", 1.0, 1.0, 1.0, 11.0, 7.0, 0.8, 2.0, 0.55, 11.4, 0.2, 0.7, 0.6,
                        3550.0, 0.1, 0.007, 0.017, 12.0, 0.685)
    data += struct.pack("<3i", 1, 0, 1)
    data += struct.pack("<3f", 1.0, 1.0, 1.0)
    data += struct.pack("<3i", 20, 20, 20)
    data += struct.pack("<2f", 0.1, 0.4)
    assert len(data) == 196
    return data
