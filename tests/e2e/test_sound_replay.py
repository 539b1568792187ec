"""Sound and the instant replay on the real program.

Part 1: 20 s on the field without pressing Record, then "Instant replay", Play and Save: the saved file
decodes frame by frame with the recording layout. Part 2: a recording whose rotor speed, distance and
bearing are known is loaded and played with the motor sound on, and the sound captured by SDL's disk
driver is measured: the blade chop at 2 x rpm / 60 (within 1 %), the loudness falling as 4 / distance
past 4 m, the balance towards the side the helicopter is on, and the level changing only at the 1/16 s
block edges.

usage: test_sound_replay.py PROGRAM_DIR"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import rvdriver  # noqa: E402

RATE = 48000                # the shipped motor loop's sample rate
BLOCK = RATE // 16          # samples per synthesised block
RPM = 2700.0
SEGMENT_FRAMES = 80         # 4 s of playback each
# (x, y) of the helicopter in each segment, the eye at (0, 0, 1.8): near ahead, far ahead, left, right.
SEGMENTS = [("near", 0.0, 3.0), ("far", 0.0, 12.0), ("left", -3.5, 0.3), ("right", 3.5, 0.3)]


def known_recording():
    """Frames built from the recording layout: sixteen state floats, five controls, four flag bytes."""
    data = struct.pack("<II", 0x12123225, SEGMENT_FRAMES * len(SEGMENTS))
    for _name, x, y in SEGMENTS:
        distance = math.sqrt(x * x + y * y)  # at eye height
        for _ in range(SEGMENT_FRAMES):
            state = [1.0, RPM, x, y, 1.8, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0, distance, 1.0]
            data += struct.pack("<16f", *state) + struct.pack("<5f", 0, 0, 0, 0.8, 0.5) + bytes([1, 0, 0, 0])
    return data


def check_recording(path, least_frames):
    data = open(path, "rb").read()
    magic, count = struct.unpack("<II", data[:8])
    assert magic == 0x12123225, hex(magic)
    assert (len(data) - 8) % 88 == 0 and count == (len(data) - 8) // 88, (len(data), count)
    assert count >= least_frames, count
    for n in range(count):
        frame = data[8 + 88 * n: 8 + 88 * (n + 1)]
        state = struct.unpack("<16f", frame[:64])
        controls = struct.unpack("<5f", frame[64:84])
        assert all(math.isfinite(v) for v in state + controls), (n, state, controls)
        assert abs(state[2]) < 0.5 and abs(state[3] - 6.0) < 0.5, ("not on the pad", n, state[2:5])
        assert frame[84] in (0, 1) and frame[85] in (0, 1) and frame[86:88] == b"\0\0", (n, frame[84:])
    return count


def rms(values):
    return math.sqrt(sum(v * v for v in values) / len(values)) if values else 0.0


def analyse(raw):
    frames = len(raw) // 4
    samples = struct.unpack("<%dh" % (2 * frames), raw[:4 * frames])
    left, right = samples[0::2], samples[1::2]
    # The output may write silence of its own before the first block (a device's buffer while it is being
    # started): the blocks are counted from where the first sound starts, which is a block's first sample.
    first = next((i for i, v in enumerate(left) if v), 0)
    left, right = left[first % BLOCK:], right[first % BLOCK:]
    frames = len(left)
    blocks = []
    for b in range(frames // BLOCK):
        l, r = left[b * BLOCK:(b + 1) * BLOCK], right[b * BLOCK:(b + 1) * BLOCK]
        blocks.append((rms(l), rms(r), b))
    loud = max(max(l, r) for l, r, _ in blocks)
    assert loud > 1000, "no motor sound: loudest block RMS %.0f" % loud
    kinds = []
    for l, r, b in blocks:
        if max(l, r) < loud * 0.05:
            kinds.append("silent")
        elif l > 2.5 * r:
            kinds.append("left")
        elif r > 2.5 * l:
            kinds.append("right")
        elif max(l, r) > loud * 0.6:
            kinds.append("near")
        else:
            kinds.append("far")
    levels = {k: sorted(max(l, r) for (l, r, _), kk in zip(blocks, kinds) if kk == k) for k in set(kinds)}
    for k in ("near", "far", "left", "right"):
        assert len(levels.get(k, [])) >= 4, ("too few %s blocks" % k, {k: len(v) for k, v in levels.items()})
    median = {k: v[len(v) // 2] for k, v in levels.items()}
    far_ratio = median["far"] / median["near"]
    assert abs(far_ratio - 4.0 / 12.0) < 0.02, "loudness at 12 m is %.3f of the near level, not 1/3" % far_ratio
    balances = {k: [min(l, r) / max(l, r) for (l, r, _), kk in zip(blocks, kinds) if kk == k]
                for k in ("left", "right")}
    for k, values in balances.items():
        value = sorted(values)[len(values) // 2]
        assert abs(value - 0.303) < 0.02, "%s: the far channel at %.3f, not 0.303" % (k, value)
    assert median["left"] / median["near"] > 0.95, "the near channel keeps its level"

    # The level changes only where a block starts: each half of the blocks on either side of a change has
    # the level of its own block.
    changes = 0
    for b in range(1, len(blocks)):
        if kinds[b] != kinds[b - 1] and "silent" not in (kinds[b], kinds[b - 1]):
            for index in (b - 1, b):
                start = index * BLOCK
                a, c = rms(left[start:start + BLOCK // 2]), rms(left[start + BLOCK // 2:start + BLOCK])
                assert max(a, c) < 1.35 * min(a, c), ("a level change inside block %d" % index, a, c)
            changes += 1
    assert changes >= 3, changes

    # The blade chop over the longest run of near blocks: 2 blades x 2700 rpm / 60 = 90 Hz.
    run, best_run = [], []
    for b, k in enumerate(kinds):
        run = run + [b] if k == "near" else []
        if len(run) > len(best_run):
            best_run = run
    chunk = []
    for b in best_run[1:9]:  # the first block of a run may still glide
        chunk.extend(left[b * BLOCK:(b + 1) * BLOCK])
    # Every 8th sample (6 kHz) after an 8-sample average is enough for tones near 90 Hz.
    decimated = [sum(chunk[i:i + 8]) / 8.0 for i in range(0, len(chunk) - 8, 8)]
    peak = goertzel_peak_decimated(decimated, 70.0, 110.0, 0.05)
    expected = 2 * RPM / 60.0
    assert abs(peak - expected) / expected < 0.01, "blade chop at %.2f Hz, expected %.2f Hz" % (peak, expected)
    return far_ratio, peak, changes


def goertzel_peak_decimated(samples, low, high, step):
    best, best_f = -1.0, None
    rate = RATE / 8.0
    f = low
    while f <= high:
        c = 2 * math.cos(2 * math.pi * f / rate)
        s1 = s2 = 0.0
        for x in samples:
            s1, s2 = x + c * s1 - s2, s1
        power = s1 * s1 + s2 * s2 - c * s1 * s2
        if power > best:
            best, best_f = power, f
        f += step
    return best_f


with rvdriver.Program(sys.argv[1]) as program:
    program.write("UserPrefs.dat", rvdriver.prefs(instruments=True, smooth=False, motor_sound=True))
    program.write("recordings/known.rec", known_recording())
    program.start(timeout=90)
    program.fly(20.0)  # on the field, nothing recorded
    program.key("r")
    program.bar_button("replay")
    assert program.poll(lambda: os.path.exists(program.path("temporary.rec"))), "no instant replay"
    replay_frames = check_recording(program.path("temporary.rec"), 300)
    program.bar_button("play")
    assert program.poll(lambda: (program.bar_time() or 0) >= 1.0), "the instant replay does not play"
    program.screenshot("instant-replay.png")
    saved = program.path("recordings", "kept.rec")
    program.choose(lambda: program.bar_button("save"), "kept.rec", lambda: os.path.exists(saved))
    assert check_recording(saved, 300) == replay_frames
    # Saving again under the same name asks first; No keeps the file.
    before = program.read(saved)
    program.choose(lambda: program.bar_button("save"), "kept.rec")
    assert program.wait_window("##replace"), "no replace question: see %s" % program.screenshot("question.png")
    # Escape answers No (pressed again only while the question still shows: a second one would close the
    # record/play bar).
    for _ in range(3):
        program.key("Escape")
        if program.wait_window("##replace", shown=False, timeout=5):
            break
    else:
        raise AssertionError("Escape did not close the replace question")
    assert program.find_window("Record Playback"), "Escape closed the record/play bar too"
    assert program.read(saved) == before
    program.bar_button("stop")

    # The known flight with its motor sound.
    known = known_recording()
    program.choose(lambda: program.bar_button("load"), "known.rec", lambda: program.read("temporary.rec") == known)
    program.bar_button("play")
    # The last 0.2 s written to the disk output are not silent.
    assert program.poll(lambda: any(program.read("audio.raw")[-40000:])), "no sound from the known flight"
    # The disk output grows at the sound's own pace: the whole flight has been heard once it grew by the
    # flight's length and a little more.
    start = os.path.getsize(program.path("audio.raw"))
    heard = start + int((SEGMENT_FRAMES * len(SEGMENTS) / 20.0 + 1.5) * RATE * 4)
    assert program.poll(lambda: os.path.getsize(program.path("audio.raw")) >= heard, timeout=60), \
        "the program ended during the playback, or its sound stopped"
    program.screenshot("known-flight.png")
    assert program.stop(timeout=60) == 0, program.log
    far_ratio, chop, changes = analyse(program.read("audio.raw"))
    print("instant replay of %d frames saved; sound: chop %.2f Hz, 12 m at %.3f of 3 m, %d block-edge changes"
          % (replay_frames, chop, far_ratio, changes))
