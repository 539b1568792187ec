// The flight-time log: classification edges, durations, dates, the 52-byte records built byte by byte,
// the readable log text (tests/data/flight_log_view.txt) and the session text.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <unistd.h>

#include "flight/ground.h"
#include "log/flight_log.h"

// The mesh loader's output; the flight objects these tests pull in read it.
float MeshLowestPoint = 0.0f;

namespace {
namespace fs = std::filesystem;

// Appends the n low bytes of v, little-endian.
void Put(std::vector<uint8_t>& out, uint64_t v, int n) {
    for (int i = 0; i < n; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// One record: FILETIME at 0, crash count at 8, the ten totals from 12.
void PutRecord(std::vector<uint8_t>& out, uint64_t fileTime, int32_t crashes, std::vector<float> totals) {
    Put(out, fileTime, 8);
    Put(out, static_cast<uint32_t>(crashes), 4);
    totals.resize(10);
    for (float t : totals)
        Put(out, std::bit_cast<uint32_t>(t), 4);
}

uint64_t FileTimeOfUnix(int64_t seconds) {
    return static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
}

std::string Read(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct LogFiles : testing::Test {
    fs::path dir = fs::path(testing::TempDir()) / ("rv_log_test_" + std::to_string(getpid()));
    fs::path log = dir / "FlightLogData.log";
    fs::path text = dir / "FlightLog.txt";
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string View() { return ViewLog(log.string(), text.string()) ? Read(text) : "(not shown)"; }
};
} // namespace

TEST(FlightLog, ClassificationEdges) {
    struct Case {
        float vx, vy, vz, upZ;
        int32_t state;
        FlightClass want;
    };
    const Case cases[] = {
        {0, 0, 0, 1, FlightFlying, ClassHovering},
        {0, 0, 0, 1, FlightResting, ClassOnGround},
        {9, 0, -9, -1, FlightCrashed, ClassOnGround},
        {2.0f, 0, 0, 1, FlightFlying, ClassForwardFlight},
        {1.99f, 0, 0, 1, FlightFlying, ClassHovering},
        {0, 6.0f, 0, 1, FlightFlying, ClassForwardFlight},
        {0, 6.01f, 0, 1, FlightFlying, ClassFastForward},
        {3.6f, 4.8f, 0, 1, FlightFlying, ClassForwardFlight},
        {0, 0, 2.5f, 1, FlightFlying, ClassVerticalMotion},
        {0, 0, 2.0f, 1, FlightFlying, ClassHovering},
        {3, 0, 5, 1, FlightFlying, ClassForwardFlight},
        {0, 0, 0, 0.707f, FlightFlying, ClassHovering},
        {0, 0, 0, 0.7f, FlightFlying, ClassHardBanked},
        {0, 0, 0, -0.8f, FlightFlying, ClassInvertedHover},
        {0, 0, 0, -0.5f, FlightFlying, ClassHardBanked},
        {0, 0, 3, -0.9f, FlightFlying, ClassInvertedHover},
        {4, 0, 0, -0.9f, FlightFlying, ClassInvertedFF},
        {8, 0, 0, -0.9f, FlightFlying, ClassInvertedFFF},
        {8, 0, 0, 0.2f, FlightFlying, ClassHardBanked},
        {4, 0, 0, -0.2f, FlightFlying, ClassHardBanked},
    };
    for (const Case& c : cases) {
        HeliState s;
        s.velocity = Vec3{c.vx, c.vy, c.vz};
        s.upAxis = Vec3{std::sqrt(1.0f - c.upZ * c.upZ), 0.0f, c.upZ};
        EXPECT_EQ(FlightClassOf(s, c.state), c.want)
            << "velocity " << c.vx << " " << c.vy << " " << c.vz << " up.z " << c.upZ << " state " << c.state;
    }
}

TEST(FlightLog, DurationsAndDates) {
    const std::pair<float, const char*> durations[] = {{3725.5f, "01:02:05"},
                                                       {0.0f, "00:00:00"},
                                                       {59.99f, "00:00:59"},
                                                       {442861.0f, "123:01:01"},
                                                       {NAN, "00:00:00"}};
    for (auto [seconds, want] : durations)
        EXPECT_EQ(FormatDuration(seconds), want) << seconds;
    // Values a damaged file may hold still format without undefined conversions.
    EXPECT_FALSE(FormatDuration(INFINITY).empty() || FormatDuration(-1e30f).empty());
    EXPECT_GT(DateOfFileTime(~0ull).year, 60000); // the largest FILETIME stays a plain date
}

TEST_F(LogFiles, ViewLogListsSessionsNewestFirst) {
    std::vector<uint8_t> bytes;
    PutRecord(bytes, FileTimeOfUnix(1234567890), 2, {600, 100, 200, 300}); // 2009-02-13
    PutRecord(bytes, FileTimeOfUnix(1582977600), 1, {3725.5f, 25.5f, 0, 0, 60, 120, 3000, 500, 10, 10});
    PutRecord(bytes, FileTimeOfUnix(1704065400), 0, {0.5f, 0.5f}); // 2023-12-31 23:30 UTC
    ASSERT_EQ(bytes.size(), 3u * 52u);
    bytes.insert(bytes.end(), 10, 0xEE); // a trailing partial record is ignored
    Write(log, bytes);
    EXPECT_EQ(View(), Read(RV_TEST_DATA_DIR "/flight_log_view.txt"));

    // No log: the heading alone; a log shorter than one record: an all-zero cumulative block.
    fs::remove(log);
    EXPECT_EQ(View(), "Flight Time Log\n\n");
    Write(log, std::vector<uint8_t>(51, 0x41));
    EXPECT_EQ(View().rfind("Flight Time Log\n\nCumulative Flight Time 00:00:00\n      Crashes 0\n", 0), 0u);
    EXPECT_EQ(View().find("Session"), std::string::npos);

    // Hostile values (NaN, huge floats, wrapping crash counts) give text, not a crash.
    bytes.clear();
    PutRecord(bytes, ~0ull, 2147483647, {NAN, INFINITY, -INFINITY, 3e38f, -3e38f, 1e-40f});
    PutRecord(bytes, 0, 2147483647, {3e38f, 3e38f});
    Write(log, bytes);
    EXPECT_NE(View().find("Crashes -2\n"), std::string::npos);
    EXPECT_NE(View().find(" 1/ 1/1601 - "), std::string::npos);

    // The text file cannot be written: nothing is shown.
    text = dir / "missing" / "FlightLog.txt";
    EXPECT_EQ(View(), "(not shown)");
}

TEST_F(LogFiles, AppendKeepsEarlierSessions) {
    const float sessions[3][10] = {{30, 10, 20}, {3725.5f, 0, 0, 3725.5f}, {}}; // an empty session too
    const uint32_t crashes[3] = {1, 5, 0};
    uint64_t before = FileTimeOfUnix(std::time(nullptr));
    for (int s = 0; s < 3; ++s) {
        std::memcpy(FlightTimeTotals, sessions[s], sizeof FlightTimeTotals);
        CrashCount = crashes[s];
        EXPECT_TRUE(AppendSessionToLog(log.string()));
        EXPECT_EQ(CrashCount, 0u); // every append starts a new session
        EXPECT_EQ(FlightTimeTotals[0], 0.0f);
    }
    uint64_t after = FileTimeOfUnix(std::time(nullptr) + 1);

    std::string b = Read(log);
    ASSERT_EQ(b.size(), 156u);
    for (int s = 0; s < 3; ++s) {
        std::vector<uint8_t> want;
        PutRecord(want, 0, static_cast<int32_t>(crashes[s]), {sessions[s], sessions[s] + 10});
        EXPECT_EQ(b.substr(52u * s + 8, 44), std::string(want.begin() + 8, want.end())) << "session " << s;
        uint64_t fileTime;
        std::memcpy(&fileTime, &b[52u * s], 8);
        EXPECT_GE(fileTime, before);
        EXPECT_LT(fileTime, after);
    }
    std::string view = FlightLogText(log.string());
    EXPECT_EQ(view.rfind("Flight Time Log\n\nCumulative Flight Time 01:02:35\n      Crashes 6\n", 0), 0u);
    size_t newest = view.find("Session Flight Time 00:00:00\n      Crashes 0");
    size_t middle = view.find("Session Flight Time 01:02:05\n      Crashes 5");
    size_t oldest = view.find("Session Flight Time 00:00:30\n      Crashes 1");
    EXPECT_TRUE(newest < middle && middle < oldest && oldest != std::string::npos);

    // "Reset Entire Log" deletes the file; the next append creates it anew.
    EXPECT_TRUE(DeleteFlightLog(log.string()));
    EXPECT_FALSE(DeleteFlightLog(log.string()));
    EXPECT_TRUE(AppendSessionToLog(log.string()));
    EXPECT_EQ(fs::file_size(log), 52u);

    // The log cannot be written: nothing is written, the session is reset anyway.
    CrashCount = 3;
    EXPECT_FALSE(AppendSessionToLog((dir / "missing" / "FlightLogData.log").string()));
    EXPECT_EQ(CrashCount, 0u);
}

TEST(FlightLog, SessionTimesText) {
    ResetSession();
    FlightTimeTotals[ClassTotal] = 3725.5f;
    FlightTimeTotals[ClassHovering] = 3600.0f;
    FlightTimeTotals[ClassInvertedFFF] = 125.5f;
    CrashCount = 7;
    EXPECT_EQ(SessionTimesText(), "Total Time     \t 01:02:05  \n\nCrashes        \t 7  \n\n"
                                  "On Ground      \t 00:00:00  \nHovering       \t 01:00:00  \n"
                                  "Forward Flight \t 00:00:00  \nVertical Motion\t 00:00:00  \n"
                                  "Fast Forward   \t 00:00:00  \nHard Banked    \t 00:00:00  \n"
                                  "Inverted Hover \t 00:00:00  \nInverted FF    \t 00:00:00  \n"
                                  "Inverted FFF   \t 00:02:05");
    ResetSession();
}
