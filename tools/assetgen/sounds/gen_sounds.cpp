// Writes the sounds that ship with the program: the motor loop data/motorsound.wav and the crash sounds
// in crashsounds/. Everything is synthesised from fixed seeds, so every build writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

namespace {
constexpr int SampleRate = 48000;
constexpr double Pi = 3.14159265358979323846;

using Signal = std::vector<double>;

// Small deterministic generator (xorshift32) so the output does not depend on the C library.
struct Random {
    uint32_t state;
    explicit Random(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double Uniform() { return (Next() >> 8) / double(1 << 24); } // 0..1
    double Signed() { return 2.0 * Uniform() - 1.0; }            // -1..1
    double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
};

// Second-order filter section (the usual audio cookbook forms).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double Run(double x) {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

enum class FilterKind { LowPass, HighPass, BandPass };

Biquad MakeFilter(FilterKind kind, double freq, double q) {
    const double w = 2 * Pi * freq / SampleRate;
    const double alpha = std::sin(w) / (2 * q);
    const double c = std::cos(w);
    double b0, b1, b2;
    switch (kind) {
    case FilterKind::LowPass:
        b0 = (1 - c) / 2, b1 = 1 - c, b2 = (1 - c) / 2;
        break;
    case FilterKind::HighPass:
        b0 = (1 + c) / 2, b1 = -(1 + c), b2 = (1 + c) / 2;
        break;
    default:
        b0 = alpha, b1 = 0, b2 = -alpha;
        break;
    }
    const double a0 = 1 + alpha;
    Biquad f;
    f.b0 = b0 / a0;
    f.b1 = b1 / a0;
    f.b2 = b2 / a0;
    f.a1 = -2 * c / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

// Filters a loop as if it had always been repeating: one pass to settle, the second pass is kept.
Signal FilterLoop(const Signal& in, Biquad f) {
    for (double x : in)
        f.Run(x);
    Signal out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        out[i] = f.Run(in[i]);
    return out;
}

Signal Filter(const Signal& in, Biquad f) {
    Signal out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        out[i] = f.Run(in[i]);
    return out;
}

Signal Noise(size_t n, Random& rng) {
    Signal s(n);
    for (double& v : s)
        v = rng.Signed();
    return s;
}

void Normalise(Signal& s, double peak) {
    double m = 0;
    for (double v : s)
        m = std::max(m, std::fabs(v));
    if (m > 0)
        for (double& v : s)
            v *= peak / m;
}

// 16-bit mono PCM RIFF WAVE.
bool WriteWave(const std::filesystem::path& path, const Signal& s) {
    std::vector<uint8_t> b;
    auto u16 = [&b](uint32_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto id = [&b](const char* t) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(t[i]));
    };
    const uint32_t dataBytes = uint32_t(s.size() * 2);
    id("RIFF");
    u32(36 + dataBytes);
    id("WAVE");
    id("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(SampleRate);
    u32(SampleRate * 2); // bytes per second
    u16(2);              // block align
    u16(16);             // bits per sample
    id("data");
    u32(dataBytes);
    for (double v : s)
        u16(uint16_t(int16_t(std::clamp(std::lround(v), -32767L, 32767L))));
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

// ---------------------------------------------------------------------------------------------------
// The motor loop: an electric 450 helicopter at 2500 rpm, heard from a few metres.
//
// The player steps through its doubled loop buffer (two entries per recorded sample) by 2.0 per output
// sample at 2500 rpm and, once its position passes n - 2 blocks (n recorded samples, a block 1/16 s), goes
// back by the length over which the recording repeats. So the file holds one period of the sound twice,
// followed by the first two blocks of it once more: the position can then always go back by two periods'
// worth of buffer and land on the same point of the waveform. Every tone makes a whole number of cycles per
// period (a whole number of rotor turns, of motor turns through the gearing, of tail rotor turns), and the
// noise is filtered as a repeating loop.
constexpr double RotorRpm = 2500.0;
constexpr int BlockSamples = SampleRate / 16;
constexpr int MotorPolePairs = 3;              // six-pole outrunner
constexpr int TailTurnsPerFiveRotorTurns = 22; // tail rotor at 4.4 times the head speed
constexpr int LeastRotorTurnsPerPeriod = 60;   // a period of about 1.4 s, so the air noise does not buzz
// Levels. The loop's peak before the player's x3 gain puts the hovering motor within 4 m at about
// -17 dBFS RMS (-23 dBFS at 8 m). Each crash sound is set to -16 dBFS RMS over its loudest half
// second as far as its peaks allow (at most -1 dBFS; -17 to -19 dBFS then), so a crash is about as loud
// as the motor close by and neither drowns the other at the default volumes.
constexpr double MotorPeak = 5000.0;
constexpr double CrashLoudestHalfSecondRms = 5200.0; // -16 dBFS
constexpr double CrashPeakLimit = 29200.0;           // -1 dBFS

// The gearing the motor sound is made for: the motor turns mainGearTeeth / pinionTeeth times per rotor turn.
struct Gearing {
    int pinionTeeth = 12;
    int mainGearTeeth = 150;
};

// Rotor turns in one period: the fewest (at least LeastRotorTurnsPerPeriod) that hold a whole number of
// motor turns and of tail rotor blade passes (at 2500 rpm and 48 kHz a turn is 1152 samples).
int RotorTurnsPerPeriod(const Gearing& g) {
    const int motorUnit = g.pinionTeeth / std::gcd(g.pinionTeeth, g.mainGearTeeth);
    const int unit = std::lcm(motorUnit, 5);
    return unit * ((LeastRotorTurnsPerPeriod + unit - 1) / unit);
}

// Adds a tone of the given whole number of cycles per period.
void AddTone(Signal& s, double cycles, double amplitude, double phase) {
    const double w = 2 * Pi * cycles / double(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        s[i] += amplitude * std::cos(w * double(i) + phase);
}

// A sharp periodic pulse: harmonics of the pass frequency in phase, rolling off.
void AddPulseTrain(Signal& s, int cycles, int harmonics, double amplitude, double rolloff, double sharpness) {
    for (int h = 1; h <= harmonics; ++h)
        AddTone(s, double(cycles) * h, amplitude * std::pow(h, -rolloff) * std::exp(-double(h) / sharpness),
                0.0);
}

// One blade going past: a pressure swing (push, then pull) and the short ringing slap of the blade
// cutting through the wake of the one before. Laid on the period circularly, `passes` times.
void AddBladePasses(Signal& s, int passes, double amplitude) {
    const double period = double(s.size()) / passes;
    const double width = 0.0016 * SampleRate; // samples
    const double slapFreq = 230.0 / SampleRate, slapDecay = 0.004 * SampleRate;
    for (size_t i = 0; i < s.size(); ++i) {
        // Time since the last pass and until the next one, in samples.
        const double phase = std::fmod(double(i), period);
        double v = 0;
        for (double d : {phase, phase - period}) {
            const double g = d / width;
            v += -g * std::exp(-0.5 * g * g);
            if (d >= 0) v += 0.55 * std::exp(-d / slapDecay) * std::sin(2 * Pi * slapFreq * d);
        }
        s[i] += amplitude * v;
    }
}

// Envelope peaking once per pass, 0..1.
Signal PassEnvelope(int cycles, double power, int periodSamples) {
    Signal e(periodSamples);
    for (int i = 0; i < periodSamples; ++i) {
        double c = 0.5 + 0.5 * std::cos(2 * Pi * cycles * double(i) / periodSamples);
        e[i] = std::pow(c, power);
    }
    return e;
}

Signal MotorLoop(const Gearing& gearing) {
    Random rng(0x450A2500u);
    const int rotorTurns = RotorTurnsPerPeriod(gearing);
    const int periodSamples = static_cast<int>(std::lround(rotorTurns * SampleRate * 60.0 / RotorRpm));
    Signal s(periodSamples, 0.0);
    const int bladePasses = 2 * rotorTurns;                                          // 83.3 Hz
    const int tailBladePasses = 2 * rotorTurns * TailTurnsPerFiveRotorTurns / 5;     // 366.7 Hz
    const int motorTurns = rotorTurns * gearing.mainGearTeeth / gearing.pinionTeeth; // 520.8 Hz at 12:150
    const int gearMesh = rotorTurns * gearing.mainGearTeeth;                         // 6250 Hz
    const int electrical = motorTurns * MotorPolePairs;                              // 1562.5 Hz at 12:150

    // Main rotor: the blade-passing chop.
    AddBladePasses(s, bladePasses, 2.2);
    AddTone(s, bladePasses, 0.35, 0.0);

    // The blade swish: air noise that swells as each blade comes round, with slow turbulence so it is
    // not machine-exact from pass to pass.
    Signal swish = FilterLoop(Noise(periodSamples, rng), MakeFilter(FilterKind::BandPass, 1300.0, 0.7));
    Signal blade = PassEnvelope(bladePasses, 3.0, periodSamples);
    Signal flutter(periodSamples, 1.0);
    for (int k = 1; k <= 6; ++k)
        AddTone(flutter, k, 0.06 / k, rng.Between(0, 2 * Pi));
    for (int i = 0; i < periodSamples; ++i)
        s[i] += 0.9 * swish[i] * (0.25 + blade[i]) * flutter[i];

    // Tail rotor: a buzz at its blade passing rate with some modulated noise.
    AddPulseTrain(s, tailBladePasses, 10, 0.22, 0.9, 4.0);
    Signal tailNoise = FilterLoop(Noise(periodSamples, rng), MakeFilter(FilterKind::BandPass, 2600.0, 1.2));
    Signal tailPass = PassEnvelope(tailBladePasses, 2.0, periodSamples);
    for (int i = 0; i < periodSamples; ++i)
        s[i] += 0.35 * tailNoise[i] * tailPass[i];

    // Motor and gears: the electrical whine with harmonics, the shaft tone and the gear mesh. The
    // player's smoothing filter takes off the top, so the high tones are made stronger here.
    AddTone(s, motorTurns, 0.05, 0.3);
    AddTone(s, electrical, 0.20, 0.0);
    AddTone(s, 2 * electrical, 0.15, 1.1);
    AddTone(s, 3 * electrical, 0.05, 2.3);
    AddTone(s, 6 * electrical, 0.05, 0.4); // commutation steps
    AddTone(s, gearMesh, 0.28, 0.9);
    AddTone(s, gearMesh + motorTurns, 0.04, 2.0); // side bands of the mesh
    AddTone(s, gearMesh - motorTurns, 0.04, 0.2);
    AddTone(s, 2 * gearMesh, 0.04, 1.4);

    // A little broadband hiss.
    Signal hiss = FilterLoop(Noise(periodSamples, rng), MakeFilter(FilterKind::HighPass, 400.0, 0.7));
    for (int i = 0; i < periodSamples; ++i)
        s[i] += 0.08 * hiss[i];

    double mean = 0;
    for (double v : s)
        mean += v;
    mean /= periodSamples;
    for (double& v : s)
        v -= mean;

    // The player's buffer starts from silence, so the period is turned to begin where the sound, as
    // the player's smoothing filter hears it, is closest to zero and flattest; the wrap then joins
    // without a step.
    const Signal heard = FilterLoop(s, MakeFilter(FilterKind::LowPass, 1500.0, 0.7));
    size_t best = 0;
    double bestScore = 1e300;
    for (size_t i = 0; i < s.size(); ++i) {
        double next = heard[(i + 1) % s.size()];
        double score = std::fabs(heard[i]) + 4 * std::fabs(next - heard[i]);
        if (score < bestScore) bestScore = score, best = i;
    }
    std::rotate(s.begin(), s.begin() + static_cast<long>(best), s.end());

    // Headroom for the player's x3 gain.
    Normalise(s, MotorPeak);
    // Twice the period, then the read-ahead of two blocks.
    Signal file;
    for (int i = 0; i < 2 * periodSamples + 2 * BlockSamples; ++i)
        file.push_back(s[static_cast<size_t>(i % periodSamples)]);
    return file;
}

// ---------------------------------------------------------------------------------------------------
// Crash sounds, built from struck modes (decaying sine partials), noise bursts and scrapes.

struct Mode {
    double freq, amp, decay; // Hz, relative, seconds to fall by e
};

std::vector<Mode> RandomModes(Random& rng, int count, double lo, double hi, double decayLo, double decayHi) {
    std::vector<Mode> m;
    for (int i = 0; i < count; ++i) {
        double f = lo * std::pow(hi / lo, rng.Uniform());
        m.push_back({f, rng.Between(0.3, 1.0), rng.Between(decayLo, decayHi)});
    }
    return m;
}

// A strike at time t: the modes ring out from the moment of contact.
void Strike(Signal& s, double t, double gain, const std::vector<Mode>& modes, Random& rng) {
    const size_t start = size_t(t * SampleRate);
    for (const Mode& m : modes) {
        const double phase = rng.Between(0, 2 * Pi);
        const size_t len = size_t(m.decay * 7 * SampleRate);
        for (size_t i = 0; i < len && start + i < s.size(); ++i) {
            double time = double(i) / SampleRate;
            s[start + i] +=
                gain * m.amp * std::exp(-time / m.decay) * std::sin(2 * Pi * m.freq * time + phase);
        }
    }
}

// A burst of filtered noise with a sharp attack and exponential decay.
void Burst(Signal& s, double t, double gain, double decay, Biquad filter, Random& rng) {
    const size_t start = size_t(t * SampleRate);
    const size_t len = size_t(decay * 7 * SampleRate);
    const size_t attack = SampleRate / 2000;
    for (size_t i = 0; i < len && start + i < s.size(); ++i) {
        double time = double(i) / SampleRate;
        double env = std::exp(-time / decay) * std::min(1.0, double(i + 1) / double(attack + 1));
        s[start + i] += gain * env * filter.Run(rng.Signed());
    }
}

// Scraping: filtered noise whose level wanders, between t0 and t1.
void Scrape(Signal& s, double t0, double t1, double gain, Biquad filter, Random& rng) {
    const size_t a = size_t(t0 * SampleRate), b = std::min(s.size(), size_t(t1 * SampleRate));
    double level = 0.5, target = 0.5;
    for (size_t i = a; i < b; ++i) {
        if ((i - a) % 441 == 0) target = rng.Between(0.1, 1.0);
        level += (target - level) * 0.004;
        double x = double(i - a) / double(b - a);
        double env = std::sin(Pi * x) * (1 - 0.5 * x);
        s[i] += gain * level * env * filter.Run(rng.Signed());
    }
}

void FadeOut(Signal& s, double seconds) {
    const size_t n = std::min(s.size(), size_t(seconds * SampleRate));
    for (size_t i = 0; i < n; ++i)
        s[s.size() - n + i] *= 1.0 - double(i) / double(n);
}

Signal Finish(Signal s) {
    Filter(s, MakeFilter(FilterKind::HighPass, 30.0, 0.7)).swap(s);
    FadeOut(s, 0.05);
    double loudest = 0;
    const size_t window = SampleRate / 2;
    for (size_t start = 0; start + window <= s.size(); start += SampleRate / 100) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i)
            sum += s[i] * s[i];
        loudest = std::max(loudest, std::sqrt(sum / double(window)));
    }
    double peak = 0;
    for (double v : s)
        peak = std::max(peak, std::fabs(v));
    if (loudest > 0 && peak > 0) {
        const double gain = std::min(CrashLoudestHalfSecondRms / loudest, CrashPeakLimit / peak);
        for (double& v : s)
            v *= gain;
    }
    return s;
}

// The fuselage hits the ground hard, bounces twice, and bits settle.
Signal ImpactSound() {
    Random rng(101);
    Signal s(size_t(1.4 * SampleRate), 0.0);
    std::vector<Mode> thud = RandomModes(rng, 5, 55, 170, 0.05, 0.14);
    std::vector<Mode> body = RandomModes(rng, 10, 280, 1100, 0.02, 0.07);
    const double bounces[][2] = {{0.02, 1.0}, {0.27, 0.45}, {0.46, 0.22}};
    for (const auto& b : bounces) {
        Strike(s, b[0], b[1] * 1.2, thud, rng);
        Strike(s, b[0], b[1] * 0.8, body, rng);
        Burst(s, b[0], b[1] * 1.5, 0.015, MakeFilter(FilterKind::LowPass, 2500, 0.7), rng);
    }
    // Skids, screws and bits of the frame coming down again.
    for (int i = 0; i < 30; ++i) {
        double t = rng.Between(0.08, 1.2);
        double gain = rng.Between(0.15, 0.45) * (1.3 - t);
        Burst(s, t, gain, 0.003, MakeFilter(FilterKind::HighPass, 2000, 0.7), rng);
        Strike(s, t, gain * 0.5, RandomModes(rng, 3, 1800, 6000, 0.004, 0.015), rng);
    }
    Scrape(s, 0.05, 0.9, 0.25, MakeFilter(FilterKind::LowPass, 1200, 0.7), rng);
    return Finish(s);
}

// Plastic canopy and frame parts cracking and scraping.
Signal PlasticSound() {
    Random rng(202);
    Signal s(size_t(1.3 * SampleRate), 0.0);
    std::vector<Mode> shell = RandomModes(rng, 12, 380, 1600, 0.03, 0.11);
    Strike(s, 0.01, 1.0, shell, rng);
    Burst(s, 0.01, 1.0, 0.02, MakeFilter(FilterKind::BandPass, 1500, 0.8), rng);
    Strike(s, 0.19, 0.5, RandomModes(rng, 8, 420, 1400, 0.02, 0.08), rng);
    for (int i = 0; i < 34; ++i) {
        double t = rng.Between(0.04, 0.85);
        Strike(s, t, rng.Between(0.08, 0.3), RandomModes(rng, 3, 1400, 4200, 0.003, 0.012), rng);
    }
    Scrape(s, 0.25, 1.05, 0.35, MakeFilter(FilterKind::BandPass, 1900, 1.5), rng);
    return Finish(s);
}

// Carbon fibre splintering: a hard snap and a spray of sharp cracks.
Signal CarbonSound() {
    Random rng(303);
    Signal s(size_t(1.0 * SampleRate), 0.0);
    Burst(s, 0.01, 1.6, 0.006, MakeFilter(FilterKind::HighPass, 1500, 0.7), rng);
    Strike(s, 0.01, 0.8, RandomModes(rng, 10, 2500, 9000, 0.008, 0.03), rng);
    Strike(s, 0.01, 0.5, RandomModes(rng, 4, 600, 1400, 0.02, 0.05), rng);
    double t = 0.03;
    while (t < 0.7) {
        double cluster = rng.Between(0.6, 1.0) * (1.0 - t);
        for (int k = 0; k < 4; ++k) {
            Burst(s, t + 0.002 * k, cluster * 0.7, 0.0015, MakeFilter(FilterKind::HighPass, 3000, 0.7), rng);
            Strike(s, t + 0.002 * k, cluster * 0.25, RandomModes(rng, 2, 3000, 10000, 0.003, 0.01), rng);
        }
        t += rng.Between(0.015, 0.09);
    }
    return Finish(s);
}

// The rotor blades striking the ground while the head slows down, the motor winding down behind.
Signal BladeStrikeSound() {
    Random rng(404);
    Signal s(size_t(1.8 * SampleRate), 0.0);
    std::vector<Mode> whack = RandomModes(rng, 6, 140, 600, 0.01, 0.04);
    // 2500 rpm with two blades: a strike every 12 ms at first, slowing quickly as the blades break up.
    double t = 0.01, interval = 0.012, gain = 1.0;
    while (t < 1.3 && gain > 0.04) {
        Strike(s, t, gain, whack, rng);
        Burst(s, t, gain * 1.3, 0.006, MakeFilter(FilterKind::BandPass, rng.Between(600, 1800), 0.9), rng);
        Burst(s, t, gain * 0.4, 0.03, MakeFilter(FilterKind::HighPass, 2500, 0.7), rng); // thrown dirt
        t += interval;
        interval *= 1.14;
        gain *= 0.9;
    }
    // The motor note falls from full speed, fading out.
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double time = double(i) / SampleRate;
        double f = 300 + 1140 * std::exp(-time / 0.35);
        phase += 2 * Pi * f / SampleRate;
        s[i] += 0.08 * std::exp(-time / 0.4) * (std::sin(phase) + 0.5 * std::sin(2 * phase));
    }
    Scrape(s, 0.05, 1.6, 0.18, MakeFilter(FilterKind::BandPass, 900, 0.9), rng);
    return Finish(s);
}

// The helicopter cartwheels: uneven thuds with grass and dirt scraping in between.
Signal TumbleSound() {
    Random rng(505);
    Signal s(size_t(2.2 * SampleRate), 0.0);
    std::vector<Mode> body = RandomModes(rng, 9, 200, 900, 0.02, 0.08);
    const double hits[][2] = {{0.02, 0.9}, {0.31, 1.0}, {0.58, 0.6}, {0.93, 0.5}, {1.32, 0.3}, {1.55, 0.15}};
    for (const auto& h : hits) {
        Strike(s, h[0], h[1], RandomModes(rng, 4, 60, 160, 0.04, 0.12), rng);
        Strike(s, h[0], h[1] * 0.7, body, rng);
        Burst(s, h[0], h[1], 0.012, MakeFilter(FilterKind::LowPass, 1800, 0.7), rng);
        for (int k = 0; k < 5; ++k)
            Strike(s, h[0] + rng.Between(0.01, 0.12), h[1] * 0.12,
                   RandomModes(rng, 2, 2000, 5000, 0.003, 0.01), rng);
    }
    Scrape(s, 0.05, 1.9, 0.3, MakeFilter(FilterKind::LowPass, 700, 0.8), rng);
    Scrape(s, 0.3, 1.7, 0.12, MakeFilter(FilterKind::BandPass, 3500, 1.0), rng);
    return Finish(s);
}
} // namespace

int main(int argc, char** argv) {
    // rv_gen_sounds FOLDER [--pinion TEETH] [--main-gear TEETH]: the motor whine and gear mesh follow the
    // gearing of the model the loop is made for.
    Gearing gearing;
    bool usage = argc < 2 || argc % 2 != 0;
    for (int a = 2; !usage && a + 1 < argc; a += 2) {
        const std::string option = argv[a];
        const int value = std::atoi(argv[a + 1]);
        if (option == "--pinion" && value >= 5 && value <= 60)
            gearing.pinionTeeth = value;
        else if (option == "--main-gear" && value >= 50 && value <= 400)
            gearing.mainGearTeeth = value;
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: %s <program folder> [--pinion 5..60] [--main-gear 50..400]\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path root = argv[1];
    std::error_code ec;
    fs::create_directories(root / "data", ec);
    fs::create_directories(root / "crashsounds", ec);
    struct Output {
        fs::path path;
        Signal signal;
    };
    const Output outputs[] = {
        {root / "data" / "motorsound.wav", MotorLoop(gearing)},
        {root / "crashsounds" / "impact.wav", ImpactSound()},
        {root / "crashsounds" / "plastic.wav", PlasticSound()},
        {root / "crashsounds" / "carbon.wav", CarbonSound()},
        {root / "crashsounds" / "bladestrike.wav", BladeStrikeSound()},
        {root / "crashsounds" / "tumble.wav", TumbleSound()},
    };
    for (const Output& o : outputs) {
        if (!WriteWave(o.path, o.signal)) {
            std::fprintf(stderr, "cannot write %s\n", o.path.string().c_str());
            return 1;
        }
    }
    return 0;
}
