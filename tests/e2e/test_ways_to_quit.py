"""Each normal way to end the program runs the same shutdown: Simulation > Exit, closing the window
(the window manager's WM_DELETE_WINDOW, sent here without one) and SIGTERM. Each run must end with
code 0 and leave every settings file and the session's log record written."""
import ctypes
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("message", ClientMessage), ("pad", ctypes.c_long * 24)]


def send_delete_window(window):
    """What a window manager sends when the pilot clicks the close box."""
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    display = x.XOpenDisplay(None)
    assert display, "no X display"
    event = Event()
    event.message.type = 33  # ClientMessage
    event.message.window = window
    event.message.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.message.format = 32
    event.message.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XFlush(display)
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay(display)


def click(program, x, y):
    """A click held for a few frames, so that a slow frame cannot swallow it."""
    subprocess.run(["xdotool", "mousemove", "--window", program.window, str(x), str(y)], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mousedown", "1"], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mouseup", "1"], check=True)
    time.sleep(0.5)


# Row of "Exit" in the Simulation pop-up (ImGui's default font): the last item, after two separators.
EXIT_Y = 200

for way in ("exit", "close", "sigterm"):
    with rvdriver.Program(sys.argv[1]) as program:
        program.start()
        time.sleep(2)
        if way == "exit":
            click(program, 35, 9)
            click(program, 40, EXIT_Y)
        elif way == "close":
            send_delete_window(int(program.window))
        else:
            program.proc.send_signal(15)
        program.proc.wait(timeout=30)
        assert program.proc.returncode == 0, (way, program.proc.returncode)
        program.check_settings_written(way)
        print("%s: settings and log written" % way)
