"""Collects the performance figures into a Markdown report (run by scripts/performance under Xvfb)."""
import os
import platform
import re
import shutil
import subprocess
import sys
import tempfile
import time

BUILD, OUT = sys.argv[1], sys.argv[2]


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, check=True, **kw).stdout


def first_window(name, proc, timeout=60):
    start = time.time()
    while time.time() - start < timeout:
        if proc.poll() is not None:
            return None
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                             capture_output=True, text=True).stdout.split()
        if ids:
            return time.time() - start
        time.sleep(0.02)
    return None


def resident_kib(pid):
    """Resident memory of a process and all its children, in KiB."""
    total = 0
    children = subprocess.run(["pgrep", "-P", str(pid)], capture_output=True, text=True).stdout.split()
    pids = [str(pid)] + children
    for p in pids:
        try:
            for line in open("/proc/%s/status" % p):
                if line.startswith("VmRSS:"):
                    total += int(line.split()[1])
        except OSError:
            pass
    return total


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def measure_program(argv, name, cwd, env, seconds=60):
    """Start-up time to the first visible window, then resident memory and CPU after `seconds`."""
    proc = subprocess.Popen(argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        startup = first_window(name, proc)
        if startup is None:
            return None
        time.sleep(seconds)
        if proc.poll() is not None:
            return None
        return {"startup": startup, "rss": resident_kib(proc.pid), "cpu": cpu_seconds(proc.pid) / (seconds + startup)}
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            proc.kill()


def measure_hover(build, anti_aliasing, seconds=30):
    """CPU share of the real program at 1280 x 720 while it plays the shipped demo flight (a hover)."""
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
    import rvdriver  # noqa: E402
    program = rvdriver.Program(os.path.join(build, "rotorvane")).install()
    with open(program.path("Settings.ini"), "w") as f:
        f.write("WindowWidth = 1280\nWindowHeight = 720\nAntiAliasing = %d\n" % anti_aliasing)
    try:
        program.start(timeout=90)
        program.key("r", pause=0.8)  # the record/play bar: load the demo flight and play it
        program.click(599, 95, pause=1.0)  # the bar's Load button
        program.key("ctrl+a", pause=0.2)
        program.type("Demo Flight.rec")
        program.key("Return", pause=0.5)
        program.click(64, 95, pause=1.0)
        program.key("r", pause=1.0)
        begin, used = time.time(), cpu_seconds(program.proc.pid)
        time.sleep(seconds)
        share = (cpu_seconds(program.proc.pid) - used) / (time.time() - begin)
        program.stop()
        return share
    except Exception as e:  # noqa: BLE001 - a figure that cannot be taken is reported as such
        print("hover measurement failed: %s" % e, file=sys.stderr)
        return None
    finally:
        program.kill()
        program.cleanup()


def grab(pattern, text, group=1):
    m = re.search(pattern, text)
    return m.group(group) if m else "n/a"


def main():
    bench = os.path.join(BUILD, "bench")
    flight = run([os.path.join(bench, "flight", "bench_flight")])
    realistic = run([os.path.join(bench, "flight", "bench_realistic")])
    tick = run([os.path.join(bench, "tick", "bench_tick_jitter"), "10"])
    sound = run([os.path.join(bench, "sound", "sound_bench")])
    render = run([os.path.join(bench, "render", "render_bench")])
    render_aa = run([os.path.join(bench, "render", "render_bench"), "--multisample"])
    hover = {aa: measure_hover(BUILD, aa) for aa in (2, 1)}

    folder = tempfile.mkdtemp(prefix="rotorvane-perf-")
    shutil.copytree(os.path.join(BUILD, "rotorvane"), folder, dirs_exist_ok=True)
    env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=os.path.join(folder, "audio.raw"))
    ours = measure_program([os.path.join(folder, "rotorvane")], "^Rotorvane$", folder, env)
    shutil.rmtree(folder, ignore_errors=True)

    crrc = None
    crrcsim = shutil.which("crrcsim") or ("/usr/games/crrcsim" if os.path.exists("/usr/games/crrcsim") else None)
    if crrcsim:
        home = tempfile.mkdtemp(prefix="crrcsim-home-")
        crrc = measure_program([crrcsim], "CRRCSim", home, dict(os.environ, HOME=home, SDL_AUDIODRIVER="disk",
                                                                   SDL_DISKAUDIOFILE=os.path.join(home, "a.raw")))
        shutil.rmtree(home, ignore_errors=True)

    renderer = grab(r"GL renderer: (.*)", render)

    lines = ["# Rotorvane performance", "",
             "Produced by `scripts/performance` (benchmarks under `bench/` and the real program, under one Xvfb).",
             "", "Machine: %s, %d cores; renderer: %s; date: %s." % (
                 platform.processor() or platform.machine(), os.cpu_count(), renderer, time.strftime("%Y-%m-%d")), "",
             "| Figure | Rotorvane | CRRCSim | Ratio (Rotorvane / CRRCSim) |", "|---|---|---|---|"]

    def row(label, value, other=None, fmt="%.2f"):
        if other is None:
            lines.append("| %s | %s | - | - |" % (label, value))
        else:
            lines.append("| %s | %s | %s | %s |" % (label, fmt % value, fmt % other, "%.2f" % (value / other) if other else "-"))

    row("One `StepHelicopter` call", grab(r"StepHelicopter: ([0-9.]+ ns)", flight))
    row("One simulated hour (step, wind, turbulence)", grab(r"One simulated hour.*: ([0-9.]+ ms)", flight))
    row("One `StepRealistic` step (goal: at most 2 us)", grab(r"StepRealistic: ([0-9.]+ ns)", realistic))
    row("One simulated hour of the realistic model at 1000 Hz", grab(r"One simulated hour at 1000 Hz: ([0-9.]+ s)", realistic))
    row("Tick period mean over 10 s", grab(r"tick period mean: ([0-9.]+ ms)", tick))
    row("Tick period worst jitter", grab(r"worst jitter: ([0-9.]+ ms)", tick))
    row("Tick drift over 10 s", grab(r"tick drift after [0-9]+ ticks: (-?[0-9.]+ ms)", tick))
    row("Frames per second, 1280 x 720, full scene", grab(r"1280x720 full scene, stock heli, swap\s+([0-9.]+ frames/s)", render))
    row("Frames per second, 800 x 600", grab(r"800x600 full scene\s+([0-9.]+ frames/s)", render))
    row("Frames per second, 1280 x 720, 4x anti-aliasing (%s samples granted)" % grab(r"samples per pixel: (\d+)", render_aa),
        grab(r"1280x720 full scene, stock heli, swap\s+([0-9.]+ frames/s)", render_aa))
    row("CPU per frame, 1280 x 720, without / with anti-aliasing",
        "%s / %s" % (grab(r"stock heli, swap.*, ([0-9.]+ ms) CPU/frame", render),
                     grab(r"stock heli, swap.*, ([0-9.]+ ms) CPU/frame", render_aa)))
    row("Audio block synthesis (1/16 s)", grab(r"FillMotorBlock: ([0-9.]+ us) per block", sound))
    if ours:
        if crrc:
            row("Start-up to first window (s)", ours["startup"], crrc["startup"])
            row("Resident memory after one minute (MiB)", ours["rss"] / 1024.0, crrc["rss"] / 1024.0, "%.1f")
            row("CPU share while running (cores)", ours["cpu"], crrc["cpu"])
            for aa, label in ((2, "without"), (1, "with")):
                if hover[aa] is not None:
                    row("CPU share hovering at 1280 x 720, %s anti-aliasing (cores)" % label, hover[aa], crrc["cpu"])
        else:
            row("Start-up to first window", "%.2f s" % ours["startup"])
            row("Resident memory after one minute", "%.1f MiB" % (ours["rss"] / 1024.0))
            row("CPU share while running", "%.2f cores" % ours["cpu"])
    lines += ["", "Notes:",
              "- Frame rates are for Mesa's software renderer on this machine; a real GPU is far faster.",
              "- Frames are paced to the display's refresh (60 Hz when unknown, as under Xvfb), every second refresh"
              " while a frame costs half a refresh or more, as on the software renderer; the simulation itself"
              " costs well under a millisecond a second.",
              "- The hover figures play the shipped demo flight from the record/play bar in a 1280 x 720 window;"
              " anti-aliasing is forced on or off there (by default it stays off on a software renderer).",
              "- CRRCSim figures come from the Debian package, started with its own defaults in an empty home"
              " folder under the same Xvfb." if crrc else "- CRRCSim could not be measured on this machine.",
              "", "Raw benchmark output:", "", "```", flight.strip(), tick.strip(), sound.strip(), render.strip(), render_aa.strip(), "```", ""]
    # Sections written by hand after the generated part ("## ..." headings) are kept.
    kept = ""
    if os.path.exists(OUT):
        previous = open(OUT).read()
        at = previous.find("\n## ")
        if at >= 0:
            kept = previous[at:]
    with open(OUT, "w") as f:
        f.write("\n".join(lines).rstrip("\n") + "\n" + kept)
    print("\n".join(lines))


if __name__ == "__main__":
    main()
