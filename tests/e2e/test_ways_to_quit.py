"""The real program starts in an empty program folder, and each normal way to end it runs the same
shutdown: Simulation > Exit, closing the window (the window manager's WM_DELETE_WINDOW, sent here without
one) and SIGTERM. Each run must end with code 0 and leave every settings file and the session's log
record written; in the SIGTERM run, which flies for ten seconds, the simulated time follows the clock."""
import ctypes
import os
import struct
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



def startup_picture(program):
    shot = program.screenshot("startup.png")
    width, height = rvdriver.image_size(shot)
    assert width >= 640 and height >= 480, (width, height)
    # The menu bar is light; the sky under it is not black.
    assert sum(rvdriver.pixel(shot, width // 2, 5)) > 500
    assert sum(rvdriver.pixel(shot, width // 2, 60)) > 150


for way in ("exit", "close", "sigterm"):
    with rvdriver.Program(sys.argv[1]) as program:
        if way == "exit":
            # A first start with no settings at all: the menus in the program's own typeface, where an
            # item and its shortcut are read as pieces of one text.
            os.remove(program.path("Settings.ini"))
        spawned = time.time()
        program.start()
        if way == "exit":
            program.menu("Simulation", "Exit")
        elif way == "close":
            send_delete_window(int(program.window))
        else:
            program.fly(10.0)
            startup_picture(program)
            ran = time.time() - program.started
            program.proc.send_signal(15)
        program.proc.wait(timeout=30)
        assert program.proc.returncode == 0, (way, program.proc.returncode)
        program.check_settings_written(way)
        if way == "sigterm":
            # 20 ticks of 0.05 s each second. The clock runs at least from the first frame shown to the
            # quit signal, and at most while the process lived (a loaded machine can be slow to show it).
            total = struct.unpack_from("<f", program.read("FlightLogData.log"), 12)[0]
            lived = time.time() - spawned
            assert ran - 1.0 < total < lived + 0.5, (total, ran, lived)
        print("%s: settings and log written" % way)
