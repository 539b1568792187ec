// The flight-time log: classification edges, the 52-byte records built byte by byte, the readable log text
// (tests/data/flight_log_view.txt), durations and the session text.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>
#include <vector>

#include "flight/ground.h"
#include "log/flight_log_internal.h"
#include "tests/assets/file_bytes.h"

namespace {
namespace fs = std::filesystem;

// One record, little-endian: FILETIME at 0, crash count at 8, the ten totals from 12.
std::string Record(uint64_t fileTime, int32_t crashes, std::vector<float> totals) {
    Bytes b = Bytes().le32(uint32_t(fileTime)).le32(uint32_t(fileTime >> 32)).le32(uint32_t(crashes));
    totals.resize(10);
    for (float t : totals)
        b.le32(std::bit_cast<uint32_t>(t));
    return std::string(b.begin(), b.end());
}

uint64_t FileTimeOfUnix(int64_t seconds) {
    return static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
}

struct LogFiles : testing::Test {
    fs::path dir = FreshFolder("log");
    fs::path log = dir / "FlightLogData.log";
    fs::path text = dir / "FlightLog.txt";
    void TearDown() override { fs::remove_all(dir); }
    void Write(const std::string& bytes) { WriteText(log, bytes); }
    std::string View() { return ViewLog(log.string(), text.string()) ? ReadText(text) : "(not shown)"; }
};
} // namespace

TEST_F(LogFiles, ViewAppendClassificationAndSessionTimes) {
    // Three sessions (2009-02-13, 2020-02-29, 2023-12-31 23:30 UTC) and a trailing partial record, ignored.
    Write(Record(FileTimeOfUnix(1234567890), 2, {600, 100, 200, 300}) +
          Record(FileTimeOfUnix(1582977600), 1, {3725.5f, 25.5f, 7, 8, 60, 120, 3000, 500, 10, 11}) +
          Record(FileTimeOfUnix(1704065400), 0, {0.5f, 0.5f}) + std::string(10, '\xEE'));
    EXPECT_EQ(View(), ReadText(RV_TEST_DATA_DIR "/flight_log_view.txt"));

    // No log: the heading alone; a log shorter than one record: an all-zero cumulative block.
    fs::remove(log);
    EXPECT_EQ(View(), "Flight Time Log\n\n");
    Write(std::string(51, 'A'));
    EXPECT_EQ(View().rfind("Flight Time Log\n\nCumulative Flight Time 00:00:00\n      Crashes 0\n", 0), 0u);
    EXPECT_EQ(View().find("Session"), std::string::npos);

    // Hostile values (NaN, huge floats, the largest FILETIME, wrapping crash counts) give text, not a crash.
    Write(Record(~0ull, 2147483647, {NAN, INFINITY, -INFINITY, 3e38f, -3e38f, 1e-40f}) +
          Record(0, 2147483647, {3e38f, 3e38f}));
    EXPECT_NE(View().find("Crashes -2\n"), std::string::npos);
    EXPECT_NE(View().find(" 1/ 1/1601 - "), std::string::npos);

    // The text file cannot be written: nothing is shown.
    text = dir / "missing" / "FlightLog.txt";
    EXPECT_EQ(View(), "(not shown)");

    // Each append adds a record after the earlier ones (an empty session too) and starts a new session.
    fs::remove(log);
    uint64_t before = FileTimeOfUnix(std::time(nullptr));
    FlightTimeTotals[ClassTotal] = 30.0f;
    FlightTimeTotals[ClassHovering] = 20.0f;
    CrashCount = 5;
    EXPECT_TRUE(AppendSessionToLog(log.string()));
    EXPECT_EQ(CrashCount, 0u);
    EXPECT_EQ(FlightTimeTotals[ClassTotal], 0.0f);
    EXPECT_TRUE(AppendSessionToLog(log.string()));
    uint64_t after = FileTimeOfUnix(std::time(nullptr) + 1);

    std::string b = ReadText(log);
    ASSERT_EQ(b.size(), 104u);
    EXPECT_EQ(b.substr(8, 44), Record(0, 5, {30, 0, 20}).substr(8));
    EXPECT_EQ(b.substr(60, 44), Record(0, 0, {}).substr(8));
    for (size_t at : {0, 52}) {
        uint64_t fileTime;
        std::memcpy(&fileTime, &b[at], 8);
        EXPECT_TRUE(fileTime >= before && fileTime < after) << "record at " << at;
    }

    // "Reset Entire Log" deletes the file.
    EXPECT_TRUE(DeleteFlightLog(log.string()));
    EXPECT_FALSE(DeleteFlightLog(log.string()));

    // The log cannot be written: nothing is written and the session stays for a later append.
    CrashCount = 3;
    FlightTimeTotals[ClassTotal] = 12.0f;
    EXPECT_FALSE(AppendSessionToLog((dir / "missing" / "FlightLogData.log").string()));
    EXPECT_EQ(CrashCount, 3u);
    EXPECT_EQ(FlightTimeTotals[ClassTotal], 12.0f);

    // Appended from a copy while the simulation goes on: what was flown after the copy stays.
    FlightLogRecord taken = SessionRecord();
    FlightTimeTotals[ClassTotal] += 2.5f;
    FlightTimeTotals[ClassHovering] += 2.5f;
    CrashCount += 1;
    EXPECT_TRUE(AppendRecordToLog(taken, log.string()));
    DeductFromSession(taken);
    EXPECT_EQ(ReadText(log).substr(8, 8), Record(0, 3, {12}).substr(8, 8));
    EXPECT_EQ(FlightTimeTotals[ClassTotal], 2.5f);
    EXPECT_EQ(FlightTimeTotals[ClassHovering], 2.5f);
    EXPECT_EQ(CrashCount, 1u);
    ResetSession();

    struct Case {
        float vx, vy, vz, upZ;
        int32_t state;
        FlightClass want;
    };
    const Case cases[] = {
        {0, 0, 0, 1, FlightResting, ClassOnGround},
        {9, 0, -9, -1, FlightCrashed, ClassOnGround},
        {2.0f, 0, 0, 1, FlightFlying, ClassForwardFlight},
        {1.99f, 0, 0, 1, FlightFlying, ClassHovering},
        {0, 6.0f, 0, 1, FlightFlying, ClassForwardFlight},
        {0, 6.01f, 0, 1, FlightFlying, ClassFastForward},
        {0, 0, 2.5f, 1, FlightFlying, ClassVerticalMotion},
        {0, 0, 2.0f, 1, FlightFlying, ClassHovering},
        {3, 0, 5, 1, FlightFlying, ClassForwardFlight},
        {0, 0, 0, 0.707f, FlightFlying, ClassHovering},
        {0, 0, 0, 0.7f, FlightFlying, ClassHardBanked},
        {0, 0, 0, -0.5f, FlightFlying, ClassHardBanked},
        {0, 0, 3, -0.8f, FlightFlying, ClassInvertedHover},
        {0, 0, 0, -1, FlightFlying, ClassInvertedHover}, // upside down in still air
        {4, 0, 0, -0.9f, FlightFlying, ClassInvertedFF},
        {8, 0, 0, -0.9f, FlightFlying, ClassInvertedFFF},
        {8, 0, 0, 0.2f, FlightFlying, ClassHardBanked},
        {4, 0, 0, -0.2f, FlightFlying, ClassHardBanked},
    };
    for (size_t n = 0; n < std::size(cases); ++n) {
        HeliState s;
        s.velocity = Vec3{cases[n].vx, cases[n].vy, cases[n].vz};
        s.upAxis = Vec3{std::sqrt(1.0f - cases[n].upZ * cases[n].upZ), 0.0f, cases[n].upZ};
        EXPECT_EQ(FlightClassOf(s, cases[n].state), cases[n].want) << "case " << n;
    }

    // Durations truncate to whole seconds, hours run past 99, NaN shows as zero.
    // Every class its own figure, so a class shown in its neighbour's row shows.
    const float totals[FlightClassCount] = {3725.5f, 1, 442861.0f, NAN, 2, 3, 4, 5, 6, 59.99f};
    std::copy(std::begin(totals), std::end(totals), FlightTimeTotals);
    CrashCount = 7;
    EXPECT_EQ(SessionTimesText(), "Total Time     \t 01:02:05  \n\nCrashes        \t 7  \n\n"
                                  "On Ground      \t 00:00:01  \nHovering       \t 123:01:01  \n"
                                  "Forward Flight \t 00:00:00  \nVertical Motion\t 00:00:02  \n"
                                  "Fast Forward   \t 00:00:03  \nHard Banked    \t 00:00:04  \n"
                                  "Inverted Hover \t 00:00:05  \nInverted FF    \t 00:00:06  \n"
                                  "Inverted FFF   \t 00:00:59");
    ResetSession();
}
