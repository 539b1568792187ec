// The motor sound: loading the loop, building the 2x loop buffer and synthesising the resampled blocks.
#include "sound/motor_sound.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "flight/sim_control.h"
#include "sound/crash_sounds_internal.h"

MotorSoundState MotorSound;
std::mutex MotorSoundMutex;
std::atomic<bool> MotorSoundAudible{false};

namespace {
// The tick's last published values, read by the audio thread once per block.
std::atomic<float> publishedRpm{0.0f};
std::atomic<float> publishedLoad{NoMotorLoad};
std::atomic<float> publishedDistance{0.0f};
std::atomic<float> publishedDoppler{1.0f};
std::atomic<bool> publishedPaused{false};

int16_t Saturate16(int32_t v) {
    return static_cast<int16_t>(
        std::clamp<int32_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}
} // namespace

std::vector<int16_t> BuildLoopBuffer(const int16_t* samples, size_t n) {
    std::vector<int16_t> loop(2 * n);
    int32_t previous = 0; // s[i-1], with s[-1] = 0
    int16_t y = 0;        // filter state, kept as a signed 16-bit value
    auto filter = [&y](int32_t u) {
        y = static_cast<int16_t>((u + 9 * static_cast<int32_t>(y)) / 10);
        // The low 16 bits of 3y: loud input wraps, as the 16-bit arithmetic it was made for does.
        return static_cast<int16_t>(3 * static_cast<int32_t>(y));
    };
    for (size_t i = 0; i < n; ++i) {
        int32_t current = samples[i];
        loop[2 * i] = filter(previous);
        loop[2 * i + 1] = filter((previous + current) / 2);
        previous = current;
    }
    return loop;
}

int32_t FindLoopLength(const int16_t* samples, size_t n, int32_t loopLimit) {
    const size_t room = static_cast<size_t>(loopLimit) + 1; // the most the position may go back
    const size_t candidates[] = {room / 2, n / 3, n / 4};
    for (size_t period : candidates) {
        if (period == 0 || 2 * period > room) continue;
        if (std::equal(samples, samples + (n - period), samples + period))
            return static_cast<int32_t>(2 * period * (room / (2 * period)));
    }
    return static_cast<int32_t>(room);
}

bool MotorSoundFormatUsable(const WaveFormat& f) {
    return f.formatTag == WaveFormatPcm && f.channels == 1 && f.bitsPerSample == 16 && f.blockAlign == 2 &&
           f.samplesPerSec >= MinMotorSampleRate && f.samplesPerSec <= MaxMotorSampleRate &&
           f.avgBytesPerSec == f.samplesPerSec * 2;
}

bool LoadMotorSoundBytes(const uint8_t* bytes, size_t size, MotorSoundState& state) {
    WaveChunks chunks;
    if (!ParseRiffWave(bytes, size, chunks)) return false;
    if (!MotorSoundFormatUsable(chunks.format)) return false;
    const int32_t blockSamples = static_cast<int32_t>(chunks.format.avgBytesPerSec / 32);
    const int32_t blockBytes = static_cast<int32_t>(chunks.format.avgBytesPerSec / 16);
    const size_t n = chunks.dataSize / 2;
    // A block may read up to four block lengths past loopLimit; a loop of two blocks or more keeps that
    // inside LoopBuffer.
    if (n < 2 * static_cast<size_t>(blockSamples)) return false;

    std::vector<int16_t> samples(n);
    const uint8_t* data = bytes + chunks.dataOffset;
    for (size_t i = 0; i < n; ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8));

    state.format = chunks.format;
    state.data.assign(data, data + chunks.dataSize);
    state.dataSize = chunks.dataSize;
    state.LoopBuffer = BuildLoopBuffer(samples.data(), n);
    state.blockSamples = blockSamples;
    state.blockBytes = blockBytes;
    state.loopLimit = static_cast<int32_t>(n) - 2 * blockSamples;
    state.loopLength = FindLoopLength(samples.data(), n, state.loopLimit);
    state.readPos = 0;
    return true;
}

bool LoadMotorSound(const std::string& path) {
    CloseMotorSoundFile();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::vector<uint8_t> bytes;
    bool readOk = false;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        long length = std::ftell(file);
        if (length > 0 && length <= MaxMotorSoundFileBytes && std::fseek(file, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<size_t>(length));
            readOk = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
        }
    }
    // The new loop is built aside, then swapped in while the audio thread is kept out.
    MotorSoundState loaded;
    {
        std::lock_guard<std::mutex> lock(MotorSoundMutex);
        loaded.rate = MotorSound.rate;
    }
    if (!readOk || !LoadMotorSoundBytes(bytes.data(), bytes.size(), loaded)) {
        std::fclose(file);
        return false;
    }
    loaded.file = file;
    std::lock_guard<std::mutex> lock(MotorSoundMutex);
    std::swap(MotorSound, loaded);
    return true;
}

void CloseMotorSoundFile() {
    std::lock_guard<std::mutex> lock(MotorSoundMutex);
    if (MotorSound.file) std::fclose(MotorSound.file);
    MotorSound.file = nullptr;
}

float MotorLoudness(float rpm, float load) {
    float r = rpm / 2500.0f;
    float loudness = 1.0f;
    if (r < 0.4f)
        loudness = 0.0f;
    else if (r < 0.8f)
        loudness = (r - 0.4f) / 0.4f;
    // A load outside 0..1 (NaN included) is no load figure at all.
    if (!(load >= 0.0f && load <= 1.0f)) return loudness;
    return loudness * (0.55f + 0.45f * load);
}

void FillMotorBlock(MotorSoundState& s, const MotorSoundInputs& in, int16_t* out) {
    const int32_t count = s.blockSamples;
    if (count <= 0) return;
    const float target = 2.0f * in.doppler * in.rpm / 2500.0f;
    const float step = (target - s.rate) / static_cast<float>(count);
    const float vol = MotorLoudness(in.rpm, in.load);
    const float gain = in.distance > 4.0f ? vol * 4.0f / in.distance : vol;
    const int32_t loopSize = static_cast<int32_t>(s.LoopBuffer.size());

    // NaN inputs fail both range tests, so they are caught by asking for the good range.
    if (!in.motorOn || in.crashPlaying || in.paused || !(target >= 1.0f && target <= 4.0f) || loopSize == 0) {
        std::fill(out, out + count, static_cast<int16_t>(0));
        return;
    }

    const int16_t* loop = s.LoopBuffer.data();
    float rate = s.rate;
    float p = 0.0f;
    int32_t j = 0;
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        // The glide's float sums may overshoot by a few samples; the read never leaves the buffer.
        const int32_t index = std::min(s.readPos + j, loopSize - 1);
        const int16_t v = static_cast<int16_t>(static_cast<float>(loop[index]) * gain);
        out[i] = v;
        sum += v;
        p += rate;
        j = static_cast<int32_t>(p);
        rate += step;
    }
    const int32_t mean = static_cast<int32_t>(sum / count);
    if (mean != 0)
        for (int32_t i = 0; i < count; ++i)
            out[i] = Saturate16(out[i] - mean);
    s.rate = rate;
    s.readPos += j;
    // Going back by exactly the length over which the loop repeats keeps the waveform continuous; the
    // overshoot past the limit is kept, so the restart lands where the read would have gone on.
    if (s.readPos > s.loopLimit) {
        const int32_t length = std::max(s.loopLength, 1);
        s.readPos -= length * ((s.readPos - s.loopLimit - 1) / length + 1);
    }
}

void PublishSoundInputs(float rpm, float distance, float doppler, float load) {
    publishedRpm.store(rpm, std::memory_order_relaxed);
    publishedLoad.store(load, std::memory_order_relaxed);
    publishedDistance.store(distance, std::memory_order_relaxed);
    publishedDoppler.store(doppler, std::memory_order_relaxed);
    publishedPaused.store(SimPaused, std::memory_order_relaxed);
}

MotorSoundInputs CurrentMotorSoundInputs() {
    MotorSoundInputs in;
    in.rpm = publishedRpm.load(std::memory_order_relaxed);
    in.load = publishedLoad.load(std::memory_order_relaxed);
    in.distance = publishedDistance.load(std::memory_order_relaxed);
    in.doppler = publishedDoppler.load(std::memory_order_relaxed);
    in.paused = publishedPaused.load(std::memory_order_relaxed);
    in.motorOn = MotorSoundAudible.load();
    in.crashPlaying = CrashSoundPlaying.load();
    return in;
}

void FillNextMotorBlock(int16_t* out, int32_t samples) {
    const MotorSoundInputs in = CurrentMotorSoundInputs();
    std::lock_guard<std::mutex> lock(MotorSoundMutex);
    if (samples != MotorSound.blockSamples) {
        std::fill(out, out + std::max(samples, 0), static_cast<int16_t>(0));
        return;
    }
    FillMotorBlock(MotorSound, in, out);
}
