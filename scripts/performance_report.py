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
        time.sleep(0.01)
    return None


def resident_kib(pid):
    """Resident memory of a process and all its children, in KiB."""
    total = 0
    children = subprocess.run(["pgrep", "-P", str(pid)], capture_output=True, text=True).stdout.split()
    for p in [str(pid)] + children:
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


def swaps(path):
    """Frames shown so far, as the swap counter wrote them (0 before the first)."""
    try:
        return int(open(path).read().split()[0])
    except (OSError, IndexError, ValueError):
        return 0


class Sample:
    """Frames and processor time of one process over a stretch of its run."""

    def __init__(self, pid, count_file):
        self.pid, self.count_file = pid, count_file
        self.time, self.cpu, self.frames = time.time(), cpu_seconds(pid), swaps(count_file)

    def until_now(self):
        seconds = time.time() - self.time
        frames = swaps(self.count_file) - self.frames
        cpu = cpu_seconds(self.pid) - self.cpu
        return {"fps": frames / seconds, "cpu_frame": 1000.0 * cpu / frames if frames else float("nan"),
                "cores": cpu / seconds}


def swap_counter(folder):
    """Builds the frame counter (bench/swapcount) loaded into both programs with LD_PRELOAD."""
    here = os.path.dirname(os.path.abspath(__file__))
    library = os.path.join(folder, "swapcount.so")
    run(["cc", "-shared", "-fPIC", "-O2", "-o", library, os.path.join(here, "..", "bench", "swapcount",
                                                                       "swap_counter.c"), "-ldl"])
    return library


def stop(proc):
    proc.terminate()
    try:
        proc.wait(timeout=8)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def window_size(name):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], capture_output=True,
                         text=True).stdout.split()
    if not ids:
        return "?"
    out = subprocess.run(["xdotool", "getwindowgeometry", ids[-1]], capture_output=True, text=True).stdout
    return grab(r"Geometry: (\d+x\d+)", out)


def measure_start(argv, name, cwd, env, counter):
    """Launch to the first visible window, frames and processor time from 10 s to 25 s at the start view,
    resident memory at 25 s, then (for the second scene of a program without a hover) 25 s to 40 s."""
    count_file = os.path.join(cwd, "swaps")
    env = dict(env, LD_PRELOAD=counter, SWAP_COUNT_FILE=count_file)
    launch = time.time()
    proc = subprocess.Popen(argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        startup = first_window(name, proc)
        if startup is None:
            return None
        size = window_size(name)
        time.sleep(max(0.0, launch + 10 - time.time()))
        sample = Sample(proc.pid, count_file)
        time.sleep(max(0.0, launch + 25 - time.time()))
        result = dict(sample.until_now(), startup=startup, rss=resident_kib(proc.pid) / 1024.0, size=size)
        later = Sample(proc.pid, count_file)
        time.sleep(15)
        result["later"] = later.until_now()
        return None if proc.poll() is not None else result
    finally:
        stop(proc)


def measure_hover(build, counter, seconds=15):
    """Frames and processor time of the real program in its default window while it plays the shipped demo
    flight (a hover) from the record/play bar."""
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
    import rvdriver  # noqa: E402
    folder = tempfile.mkdtemp(prefix="rotorvane-hover-")
    count_file = os.path.join(folder, "swaps")
    program = rvdriver.Program(os.path.join(build, "rotorvane"),
                               env={"LD_PRELOAD": counter, "SWAP_COUNT_FILE": count_file}).install()
    try:
        program.start(timeout=90)
        program.key("r")  # the record/play bar: load the demo flight and play it
        program.choose(lambda: program.bar_button("load"), "Demo Flight.rec")
        program.bar_button("play")
        program.key("r")
        time.sleep(2.0)
        sample = Sample(program.proc.pid, count_file)
        time.sleep(seconds)
        result = sample.until_now()
        program.stop()
        return result
    except Exception as e:  # noqa: BLE001 - a figure that cannot be taken is reported as such
        print("hover measurement failed: %s" % e, file=sys.stderr)
        return None
    finally:
        program.kill()
        program.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


def load_text():
    one, five, fifteen = os.getloadavg()
    return "%.2f / %.2f / %.2f (1 / 5 / 15 min)" % (one, five, fifteen)


def grab(pattern, text, group=1):
    m = re.search(pattern, text)
    return m.group(group) if m else "n/a"


def main():
    load_before = load_text()
    bench = os.path.join(BUILD, "bench")
    scratch = tempfile.mkdtemp(prefix="rotorvane-perf-")
    counter = swap_counter(scratch)

    # The two programs one after the other, never side by side, so neither slows the other.
    folder = os.path.join(scratch, "program")
    shutil.copytree(os.path.join(BUILD, "rotorvane"), folder)
    env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=os.path.join(folder, "audio.raw"))
    ours = measure_start([os.path.join(folder, "rotorvane")], "^Rotorvane$", folder, env, counter)
    crrc = None
    crrcsim = shutil.which("crrcsim") or ("/usr/games/crrcsim" if os.path.exists("/usr/games/crrcsim") else None)
    if crrcsim:
        home = os.path.join(scratch, "crrcsim-home")
        os.makedirs(home)
        crrc = measure_start([crrcsim], "CRRCSim", home, dict(os.environ, HOME=home, SDL_AUDIODRIVER="dummy"),
                             counter)
    hover = measure_hover(BUILD, counter)
    load_programs = load_text()

    flight = run([os.path.join(bench, "flight", "bench_flight")])
    realistic = run([os.path.join(bench, "flight", "bench_realistic")])
    tick = run([os.path.join(bench, "tick", "bench_tick_jitter"), "10"])
    latency = run([os.path.join(bench, "input", "bench_realistic_latency"), "2000"])
    sound = run([os.path.join(bench, "sound", "sound_bench")])
    render = run([os.path.join(bench, "render", "render_bench")])
    render_aa = run([os.path.join(bench, "render", "render_bench"), "--multisample"])
    shutil.rmtree(scratch, ignore_errors=True)
    load_after = load_text()
    renderer = grab(r"GL renderer: (.*)", render)

    lines = ["# Rotorvane performance", "",
             "Produced by `scripts/performance`: the real program and CRRCSim (Debian package `crrcsim`) one after"
             " the other in the same run under one Xvfb with Mesa's software renderer, then the benchmarks under"
             " `bench/`.", "",
             "Machine: %s, %d cores; renderer: %s; date: %s." % (
                 platform.processor() or platform.machine(), os.cpu_count(), renderer, time.strftime("%Y-%m-%d %H:%M")),
             "Load average before the run %s; after the two programs %s; at the end %s." % (
                 load_before, load_programs, load_after), ""]

    def ratio(a, b):
        return "%.2f" % (a / b) if b and a == a and b == b else "-"

    if ours and crrc:
        later = hover if hover else None
        lines += ["| Figure | Scene | Rotorvane | CRRCSim | Ratio (Rotorvane / CRRCSim) | Goal |",
                  "|---|---|---|---|---|---|"]
        lines.append("| Launch to visible window | start | %.2f s | %.2f s | %s | at most 1 |" % (
            ours["startup"], crrc["startup"], ratio(ours["startup"], crrc["startup"])))
        lines.append("| Resident memory after 25 s | start | %.1f MiB | %.1f MiB | %s | at most 1 (aim 100 MiB) |" % (
            ours["rss"], crrc["rss"], ratio(ours["rss"], crrc["rss"])))
        for label, a, b in (("start", ours, crrc), ("hover", later, crrc["later"])):
            if not a:
                continue
            lines.append("| Frames per second | %s | %.1f | %.1f | %s | at least 1.5 (60 paced) |" % (
                label, a["fps"], b["fps"], ratio(a["fps"], b["fps"])))
            lines.append("| CPU per frame | %s | %.1f ms | %.1f ms | %s | at most 0.67 |" % (
                label, a["cpu_frame"], b["cpu_frame"], ratio(a["cpu_frame"], b["cpu_frame"])))
            lines.append("| Processor use | %s | %.2f cores | %.2f cores | %s | - |" % (
                label, a["cores"], b["cores"], ratio(a["cores"], b["cores"])))
        lines += ["", "Windows: Rotorvane %s (its default), CRRCSim %s (its default)." % (ours["size"], crrc["size"]),
                  "", "Scenes and how they are taken:",
                  "- Each program starts with its own defaults in an empty folder (CRRCSim with an empty home"
                  " folder); frames are counted at every `glXSwapBuffers` by `bench/swapcount` (loaded with"
                  " `LD_PRELOAD`), processor time is the process's own from `/proc`.",
                  "- Start: the view at start, frames and processor time from 10 s to 25 s after launch,"
                  " resident memory (the process and its children) at 25 s.",
                  "- Hover: Rotorvane plays the shipped demo flight from the record/play bar (15 s). CRRCSim has"
                  " no helicopter hover; its column is its own flight scene from 25 s to 40 s of the same run.",
                  "- Rotorvane paces its frames to the display (60 Hz under Xvfb): at most one frame a refresh,"
                  " and a frame that took longer is shown as soon as it is ready, so its frames per second never"
                  " pass 60; CRRCSim draws as fast as it can."]
    else:
        lines.append("The programs could not be measured (Rotorvane: %s, CRRCSim: %s)." % (
            "yes" if ours else "no", "yes" if crrc else "no"))

    lines += ["", "## Benchmarks", "", "| Figure | Rotorvane |", "|---|---|"]

    def row(label, value):
        lines.append("| %s | %s |" % (label, value))

    row("One `StepHelicopter` call", grab(r"StepHelicopter: ([0-9.]+ ns)", flight))
    row("One simulated hour (step, wind, turbulence)", grab(r"One simulated hour.*: ([0-9.]+ ms)", flight))
    row("One `StepRealistic` step (goal: at most 2 us)", grab(r"StepRealistic: ([0-9.]+ ns)", realistic))
    row("One simulated hour of the realistic model at 1000 Hz", grab(r"One simulated hour at 1000 Hz: ([0-9.]+ s)", realistic))
    row("Tick period mean over 10 s", grab(r"tick period mean: ([0-9.]+ ms)", tick))
    row("Tick period worst jitter", grab(r"worst jitter: ([0-9.]+ ms)", tick))
    row("Tick drift over 10 s", grab(r"tick drift after [0-9]+ ticks: (-?[0-9.]+ ms)", tick))
    row("Stick-to-physics latency, realistic model, mean (goal: at most 2 ms)",
        grab(r"latency mean: ([0-9.]+ ms)", latency))
    row("Stick-to-physics latency, realistic model, 99th percentile / worst (goal: worst at most 5 ms)",
        "%s / %s" % (grab(r"latency 99th percentile: ([0-9.]+ ms)", latency), grab(r"latency worst: ([0-9.]+ ms)", latency)))
    row("Physics steps per second kept by the tick, realistic model", grab(r"physics steps per second: ([0-9.]+)", latency))
    row("Frames per second unpaced, 1280 x 720, full scene", grab(r"1280x720 full scene, stock heli, swap\s+([0-9.]+ frames/s)", render))
    row("CPU per frame unpaced, 1280 x 720, filtering chosen for this renderer (%s)" % grab(r"texture filtering chosen: (.*)", render),
        grab(r"stock heli, swap.*, ([0-9.]+ ms) CPU/frame", render))
    row("CPU per frame unpaced, 1280 x 720, trilinear / nearest mip level",
        "%s / %s" % (grab(r"full scene, trilinear.*, ([0-9.]+ ms) CPU/frame", render),
                     grab(r"full scene, nearest mip level.*, ([0-9.]+ ms) CPU/frame", render)))
    row("Frames per second unpaced, 800 x 600", grab(r"800x600 full scene\s+([0-9.]+ frames/s)", render))
    row("Frames per second unpaced, 1280 x 720, 4x anti-aliasing (%s samples granted)" % grab(r"samples per pixel: (\d+)", render_aa),
        grab(r"1280x720 full scene, stock heli, swap\s+([0-9.]+ frames/s)", render_aa))
    row("Launch to first frame shown (benchmark, panorama at Low first)", grab(r"launch to first frame shown\s+([0-9.]+ ms)", render))
    row("Audio block synthesis (1/16 s)", grab(r"FillMotorBlock: ([0-9.]+ us) per block", sound))
    lines += ["", "Raw benchmark output:", "", "```", flight.strip(), realistic.strip(), tick.strip(), latency.strip(), sound.strip(), render.strip(),
              render_aa.strip(), "```", ""]
    # Sections written by hand after the generated part ("## Picture", "## Stick to step", ...) are kept.
    kept = ""
    if os.path.exists(OUT):
        previous = open(OUT).read()
        at = previous.find("\n## Picture")
        if at < 0:
            at = previous.find("\n## Stick")
        if at >= 0:
            kept = previous[at:]
    with open(OUT, "w") as f:
        f.write("\n".join(lines).rstrip("\n") + "\n" + kept)
    print("\n".join(lines))


if __name__ == "__main__":
    main()
