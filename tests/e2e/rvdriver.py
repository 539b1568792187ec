"""Drives the real Rotorvane program under X: a temporary program folder, xdotool, screenshots."""
import os
import re
import shutil
import signal
import sys
import struct
import subprocess
import tempfile
import threading
import time

MENU_HEIGHT = 19  # the menu bar: the client area, and its overlay, start below it
# The record/play bar's icon buttons by the start of their tooltips.
BAR = {"play": "Play", "slow": "Slow motion", "pause": "Pause", "stop": "Stop", "record": "Record", "load": "Load",
       "save": "Save", "replay": "Instant replay"}
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
        # The program writes its frame number and the ImGui windows of each frame here (see ui()), in a
        # folder of its own that stays writable while a test makes the program folder read-only.
        self.env["RV_UI_DUMP"] = os.path.join(self.dir, "ui", "ui.txt")
        if env:
            self.env.update(env)
        self.command = [self.path("rotorvane")]
        self.cwd = "/"
        self.user = None  # (uid, gid) to run the program as another account
        self.proc = None
        self.output = []  # the lines the program printed so far
        self.reader = None
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
        # The pixel checks of the tests are made with ImGui's built-in font (the program's default
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
            self.proc = None  # it ended; the X server takes clients again once xdotool connects
            self.poll(lambda: self.x("xdotool", "getmouselocation").returncode == 0, 10)
        return self._start(timeout)

    def _start(self, timeout):
        user = {"user": self.user[0], "group": self.user[1], "extra_groups": []} if self.user else {}
        os.makedirs(os.path.dirname(self.env["RV_UI_DUMP"]), exist_ok=True)
        if os.path.exists(self.env["RV_UI_DUMP"]):
            os.remove(self.env["RV_UI_DUMP"])  # a dump of an earlier run is no frame of this one
        self.proc = subprocess.Popen(self.command, cwd=self.cwd, env=self.env, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, **user)
        self.output = []
        self.reader = threading.Thread(target=lambda out=self.output, pipe=self.proc.stdout: out.extend(
            line.decode(errors="replace") for line in iter(pipe.readline, b"")), daemon=True)
        self.reader.start()
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                self.reader.join(5)
                raise RuntimeError("program exited early with %s: %s" % (self.proc.returncode, "".join(self.output)))
            # The program shows its window once it can draw (the window exists hidden before): once the
            # textures are loaded, as the simulation clock starts.
            ids = self.x("xdotool", "search", "--onlyvisible", "--name", "^Rotorvane$").stdout.split()
            if ids:
                self.window = ids[-1]
                self.started = time.time()
                if not self.wait_window("##MainMenuBar", timeout=max(10.0, deadline - time.time())) \
                        or not self.wait_frames(3):
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

    def x(self, *command, check=False):
        """Runs an X tool (xdotool, import) on the program's display."""
        env = dict(os.environ, DISPLAY=self.env.get("DISPLAY", os.environ.get("DISPLAY", "")))
        return subprocess.run(list(command), capture_output=True, text=command[0] == "xdotool", env=env,
                              check=check)

    def poll(self, holds, timeout=20.0):
        """Calls holds() until it gives a true value and returns that; after timeout seconds, or once the
        program has ended, returns what it gives then. The tests wait this way for what the program shows,
        prints or writes, never for a fixed time."""
        deadline = time.time() + timeout
        while True:
            value = holds()
            if value or time.time() >= deadline or (self.proc and self.proc.poll() is not None):
                return value
            time.sleep(0.03)

    def ui(self):
        """The program's own account of its last frame: {"frame": n, "windows": {name: (x, y, w, h)},
        "texts": [(window, text, (x, y, w, h))], "items": {name: (x, y, w, h)}} (items: icon buttons by
        their tooltip); None before the first frame. Text drawn over the field belongs to the window
        "##Foreground"; the pieces of a text between wider gaps follow it as texts of their own (texts
        side by side may be read as one)."""
        try:
            with open(self.env["RV_UI_DUMP"]) as f:
                lines = f.read().splitlines()
        except OSError:
            return None
        found = {"frame": -1, "windows": {}, "texts": [], "items": {}}
        window = ""
        for line in lines:
            kind, _, rest = line.partition(" ")
            if kind == "frame":
                found["frame"] = int(rest)
            elif kind in ("window", "text", "part", "item"):
                parts = rest.split(" ", 4)
                rect = tuple(float(v) for v in parts[:4])
                if kind == "window":
                    window = parts[4]
                    found["windows"][window] = rect
                elif kind in ("text", "part"):
                    found["texts"].append((window, parts[4], rect))
                else:
                    found["items"][parts[4]] = rect
        return found if found["frame"] >= 0 else None

    def wait_frames(self, count=2, timeout=20.0):
        """Waits until the program has drawn count more frames, so that an input sent before is seen;
        False when it drew none in time or has ended (a key may end it)."""
        frame = lambda: (self.ui() or {"frame": -1})["frame"]  # noqa: E731
        first = frame()
        return bool(self.poll(lambda: frame() >= first + count, timeout))

    def find_window(self, part):
        """The rectangle of the first ImGui window drawn in the last frame whose name contains part."""
        shown = self.ui()
        return next((rect for name, rect in (shown["windows"].items() if shown else ()) if part in name), None)

    def texts(self, window=""):
        """(text, rectangle) of each text drawn in the last frame by a window whose name contains window."""
        shown = self.ui()
        return [(text, rect) for owner, text, rect in (shown["texts"] if shown else ()) if window in owner]

    def find(self, label, window=""):
        """The rectangle of the first text that is label (or for which label, a function, is true) in a
        window whose name contains window; or None."""
        holds = label if callable(label) else (lambda text: text == label)
        return next((rect for text, rect in self.texts(window) if holds(text)), None)

    def wait_window(self, part, shown=True, timeout=20.0):
        """Waits until a window whose name contains part is drawn (or, with shown False, is gone) and that
        frame is on the screen."""
        return self._seen(lambda: (self.find_window(part) is not None) == shown, timeout)

    def wait_text(self, label, window="", shown=True, timeout=20.0):
        """Waits until a text (see find) is drawn, or with shown False is gone, and that frame is on the
        screen; its rectangle (True when gone), or None."""
        return self._seen(lambda: self.find(label, window) if shown else self.find(label, window) is None,
                          timeout)

    def _seen(self, holds, timeout):
        value = self.poll(holds, timeout)
        if value:
            self.wait_frames(1)  # the frame that showed it is on the screen once the next one is drawn
        return value

    def wait_output(self, text, timeout=30.0):
        """Waits until the program printed a line that contains text; that line, or None."""
        return self.poll(lambda: next((line for line in list(self.output) if text in line), None), timeout)

    def fly(self, seconds):
        """Lets the simulation run for seconds (it keeps time with the clock), then waits for a frame
        drawn after that."""
        time.sleep(seconds)
        self.wait_frames(2)

    def key(self, name):
        """Presses and releases a key as a finger does: held until the program drew two frames, so that
        the press and the release never fall between the same two frames, and two frames after."""
        self.x("xdotool", "keydown", "--window", self.window, name, check=True)
        self.wait_frames(2)
        self.x("xdotool", "keyup", "--window", self.window, name, check=True)
        self.wait_frames(2)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "40", text, check=True)
        self.wait_frames(2)

    def click(self, x, y):
        """A real pointer click at (x, y) (a click sent to the window is synthetic and ignored): hovered,
        pressed and released each for two frames, so that a slow frame cannot swallow it."""
        self.x("xdotool", "mousemove", "--window", self.window, str(int(x)), str(int(y)), check=True)
        for step in (("mousedown", "1"), ("mouseup", "1"), None):
            self.wait_frames(2)
            if step:
                self.x("xdotool", *step, check=True)

    def click_on(self, label, window="", rect=None):
        """Clicks the middle of a text (see find) once it is drawn, or of rect."""
        rect = rect or self.wait_text(label, window)
        assert rect, "no %r in %r: see %s" % (label, window, self.screenshot("missing.png"))
        self.click(rect[0] + rect[2] / 2, rect[1] + rect[3] / 2)

    def menu(self, *path):
        """Opens the main menu's pop-up path[0] and clicks the items path[1:] by their labels, each a
        sub-menu of the one before but the last; a title alone leaves its pop-up open. A click that falls
        between two slow frames is repeated while the menus stay as they were."""
        for depth, label in enumerate(path):
            owner = "##Menu_%02d" % (depth - 1) if depth else "##MainMenuBar"
            after = ("##Menu_%02d" % depth, True) if depth + 1 < len(path) or not depth else ("##Menu_00", False)
            for _ in range(3):
                if depth or not self.find_window("##Menu_00"):
                    self.click_on(label, owner)
                if self.wait_window(*after, timeout=10) or self.proc.poll() is not None:
                    break
            else:
                raise AssertionError("menu %r did not take: see %s" % (path[:depth + 1], self.screenshot("menu.png")))

    def dismiss_messages(self, most=20):
        """Presses Return while the program shows a message box (one Return closes one box; a box shows
        within two frames after it was posted or the one before closed); returns how many it closed."""
        closed = 0
        while self.wait_frames(3) and self.find_window("###messagebox") and closed < most:
            self.key("Return")
            closed += 1
        return closed

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
            self.key("ctrl+a")
            self.type(name)
            for _ in range(3):  # Return again while the chooser still shows
                self.key("Return")
                if self.wait_window("###filechooser", shown=False, timeout=5):
                    break
            if done is None or self.poll(done, timeout=10):
                return
        raise AssertionError("the chooser did not take %s: see %s" % (name, self.screenshot("chooser.png")))

    def wait_until(self, name, holds, timeout=20.0):
        """Takes screenshots until holds(picture) is true and returns that picture; fails after timeout
        seconds with the last one. For what the program shows on screen, in place of a fixed wait."""
        shot = self.poll(lambda: holds(self.screenshot(name)) and self.path(name), timeout)
        assert shot, "%s: not seen within %.0f s (see %s)" % (name, timeout, self.path(name))
        return shot

    def bar_button(self, name):
        """Clicks a button of the record/play bar (see BAR) once it is drawn."""
        rect = self.poll(lambda: next((r for n, r in (self.ui() or {"items": {}})["items"].items()
                                       if n.startswith(BAR[name])), None))
        self.click_on(BAR[name], "Record Playback", rect)

    def bar_time(self):
        """The first time the record/play bar shows, in seconds: the playback position, or while recording
        the time recorded; None without the bar."""
        found = next(filter(None, (re.match(r"(\d+):(\d\d\.\d)", t) for t, _ in self.texts("Record Playback"))),
                     None)
        return found and int(found.group(1)) * 60 + float(found.group(2))

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
        self.reader.join(10)
        self.log = "".join(self.output)
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


class Transmitters:
    """Virtual joysticks of the test shim (vjoy_shim.cpp) preloaded into the program: those plugged in at
    its start, then the shim's commands, each sent once the shim has applied those before."""

    def __init__(self, program, shim, devices):
        self.program, self.path, self.sent = program, program.path("vjoy.txt"), 0
        for name in (self.path, self.path + ".done"):
            open(name, "w").close()
        program.env.update({"LD_PRELOAD": os.path.abspath(shim), "RV_VJOY_START": ";".join(devices),
                            "RV_VJOY_COMMANDS": self.path})

    def applied(self):
        with open(self.path + ".done") as f:
            text = f.read().strip()
        return int(text) if text.isdigit() else 0

    def send(self, *lines):
        with open(self.path, "a") as f:
            f.write("".join(line + "\n" for line in lines))
        self.sent += len(lines)
        assert self.program.poll(lambda: self.applied() >= self.sent), "the shim did not apply %r" % (lines,)


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


def region(png, x, y, w, h):
    """The raw 8-bit RGB bytes of a rectangle of a picture, through ImageMagick."""
    return subprocess.run(["convert", png, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "-depth", "8", "rgb:-"],
                          capture_output=True, check=True).stdout


def white_pixels(raw):
    return sum(1 for i in range(0, len(raw) - 2, 3) if min(raw[i:i + 3]) >= 240)


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
