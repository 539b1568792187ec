// Shared by the recorder tests: .rec files built byte by byte (an 8-byte header, then 88-byte frames of
// 16 state floats, 5 control floats and 4 flag bytes) and a fixture with its own scratch folder.
#pragma once
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "input/control_input.h"
#include "recorder/flight_recorder.h"

using Bytes = std::vector<uint8_t>;

inline void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The sixteen state floats and five controls of test frame n, all different; flags idle-up n % 2 and
// throttle hold (n / 2) % 2.
inline float StateValue(int n, int i) {
    return 1000.0f * float(n + 1) + float(i) + 0.25f;
}
inline float ControlValue(int n, int k) {
    return 0.01f * float(n) + 0.1f * float(k) - 0.3f;
}

inline Bytes Recording(uint32_t headerCount, int frames) {
    Bytes b;
    Put32(b, 0x12123225);
    Put32(b, headerCount);
    for (int n = 0; n < frames; n++) {
        for (int i = 0; i < 16; i++)
            Put32(b, std::bit_cast<uint32_t>(StateValue(n, i)));
        for (int k = 0; k < 5; k++)
            Put32(b, std::bit_cast<uint32_t>(ControlValue(n, k)));
        Put32(b, uint32_t(n % 2) | uint32_t((n / 2) % 2) << 8);
    }
    return b;
}

inline void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Each test gets an empty program folder with the scratch file temporary.rec in it.
class RecorderFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/rv_recorder_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ProgramDir = dir;
        scratch = dir + "/temporary.rec";
        InitFlightRecorder(scratch);
        SimPaused = SlowMotionPlayback = ScriptedIdleUp = ScriptedThrottleHold = false;
        ScriptedControlInput = nullptr;
    }
    void TearDown() override {
        ShutdownRecorder();
        ScriptedControlInput = nullptr;
        std::filesystem::remove_all(dir);
    }
    std::string dir;
    std::string scratch;
};
