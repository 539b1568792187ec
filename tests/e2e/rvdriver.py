"""Drives the real Rotorvane program under X: a temporary program folder, xdotool, screenshots."""
import os
import shutil
import signal
import sys
import struct
import subprocess
import tempfile
import time


class Program:
    def __init__(self, program_dir, keep_dir=None, env=None):
        self.source = program_dir
        self.dir = keep_dir or tempfile.mkdtemp(prefix="rotorvane-e2e-")
        self.env = dict(os.environ)
        self.env.setdefault("SDL_AUDIODRIVER", "disk")
        self.env["SDL_DISKAUDIOFILE"] = os.path.join(self.dir, "audio.raw")
        self.env["SDL_DISKAUDIODELAY"] = "50"
        if env:
            self.env.update(env)
        self.proc = None
        self.window = None
        self.started = None

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
        return self

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

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
        self.proc = subprocess.Popen([self.path("rotorvane")], cwd="/", env=self.env,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                out = self.proc.stdout.read().decode(errors="replace")
                raise RuntimeError("program exited early with %s: %s" % (self.proc.returncode, out))
            # The program shows its window once it can draw (the window exists hidden before).
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Rotorvane$"],
                                   capture_output=True, text=True)
            ids = found.stdout.split()
            if ids:
                self.window = ids[-1]
                # The window shows once the textures are loaded, as the simulation clock starts.
                self.started = time.time()
                self._wait_for_first_frame(deadline)
                time.sleep(1.0)  # first frames
                return self
            time.sleep(0.2)
        stacks = ""
        if shutil.which("gdb"):
            stacks = subprocess.run(["gdb", "-p", str(self.proc.pid), "-batch", "-ex", "thread apply all bt 12"],
                                    capture_output=True, text=True).stdout
        windows = subprocess.run(["xdotool", "search", "--name", "."], capture_output=True, text=True)
        self.kill()
        raise TimeoutError("no Rotorvane window within %s s (windows: %r %r)\n%s"
                           % (timeout, windows.stdout, windows.stderr, stacks))

    def _wait_for_first_frame(self, deadline):
        """Waits until the window shows its menu bar: the textures are loaded and the clock runs."""
        probe = self.path("first-frame.png")
        while time.time() < deadline:
            shot = subprocess.run(["import", "-window", self.window, probe], capture_output=True)
            if shot.returncode == 0 and min(pixel(probe, 4, 4)) > 150:
                return
            time.sleep(0.2)
        raise TimeoutError("the window showed no frame in time")

    def key(self, name, pause=0.3):
        """Presses and releases a key as a finger does, held for a few frames."""
        subprocess.run(["xdotool", "keydown", "--window", self.window, name], check=True)
        time.sleep(0.08)
        subprocess.run(["xdotool", "keyup", "--window", self.window, name], check=True)
        time.sleep(pause)

    def type(self, text, pause=0.3):
        subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)
        time.sleep(pause)

    def click(self, x, y, pause=0.4):
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(x), str(y)], check=True)
        time.sleep(0.15)
        # A real pointer click at the pointer position (a click sent to the window is synthetic and ignored).
        subprocess.run(["xdotool", "click", "1"], check=True)
        time.sleep(pause)

    def screenshot(self, name):
        out = self.path(name)
        subprocess.run(["import", "-window", self.window, out], check=True,
                       capture_output=True)
        return out

    def stop(self, sig=signal.SIGTERM, timeout=30):
        self.proc.send_signal(sig)
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise
        return self.proc.returncode

    def cleanup(self):
        """Removes the temporary program folder after a passing run (RV_KEEP_E2E=1 keeps it)."""
        if not os.environ.get("RV_KEEP_E2E"):
            shutil.rmtree(self.dir, ignore_errors=True)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


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
