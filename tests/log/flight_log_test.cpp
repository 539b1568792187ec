// The flight-time log: classification edges, durations, the 52-byte records built byte by byte, the
// readable log text and the session text.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <unistd.h>

#include "flight/ground.h"
#include "log/flight_log.h"

// The mesh loader's output; the flight objects these tests pull in read it.
float MeshLowestPoint = 0.0f;

namespace {
namespace fs = std::filesystem;

fs::path TestDir() {
    fs::path dir = fs::path(testing::TempDir()) / ("rv_log_test_" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutF32(std::vector<uint8_t>& out, float v) {
    PutU32(out, std::bit_cast<uint32_t>(v));
}

// One record: FILETIME at 0, crash count at 8, ten floats from 12.
void PutRecord(std::vector<uint8_t>& out, uint64_t fileTime, int32_t crashes,
               std::initializer_list<float> totals) {
    size_t start = out.size();
    PutU64(out, fileTime);
    PutU32(out, static_cast<uint32_t>(crashes));
    for (float t : totals)
        PutF32(out, t);
    ASSERT_EQ(out.size() - start, 52u);
}

uint64_t FileTimeOfUnix(int64_t seconds) {
    return static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& path) {
    std::vector<uint8_t> b = ReadBytes(path);
    return std::string(b.begin(), b.end());
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

HeliState Moving(float vx, float vy, float vz, float upZ) {
    HeliState s;
    s.velocity = Vec3{vx, vy, vz};
    s.upAxis = Vec3{std::sqrt(std::fmax(0.0f, 1.0f - upZ * upZ)), 0.0f, upZ};
    return s;
}
} // namespace

TEST(FlightLog, ClassificationEdges) {
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 0, 1), FlightFlying), ClassHovering);
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 0, 1), FlightResting), ClassOnGround);
    EXPECT_EQ(FlightClassOf(Moving(9, 0, -9, -1), FlightCrashed), ClassOnGround);
    EXPECT_EQ(FlightClassOf(Moving(2.0f, 0, 0, 1), FlightFlying), ClassForwardFlight);
    EXPECT_EQ(FlightClassOf(Moving(1.99f, 0, 0, 1), FlightFlying), ClassHovering);
    EXPECT_EQ(FlightClassOf(Moving(0, 6.0f, 0, 1), FlightFlying), ClassForwardFlight);
    EXPECT_EQ(FlightClassOf(Moving(0, 6.01f, 0, 1), FlightFlying), ClassFastForward);
    EXPECT_EQ(FlightClassOf(Moving(3.6f, 4.8f, 0, 1), FlightFlying), ClassForwardFlight); // hs 6
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 2.5f, 1), FlightFlying), ClassVerticalMotion);
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 2.0f, 1), FlightFlying), ClassHovering);
    EXPECT_EQ(FlightClassOf(Moving(3, 0, 5, 1), FlightFlying), ClassForwardFlight); // vertical speed ignored

    EXPECT_EQ(FlightClassOf(Moving(0, 0, 0, 0.707f), FlightFlying), ClassHovering); // not banked
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 0, 0.7f), FlightFlying), ClassHardBanked);
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 0, -0.8f), FlightFlying), ClassInvertedHover);
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 0, -0.5f), FlightFlying), ClassHardBanked);
    EXPECT_EQ(FlightClassOf(Moving(0, 0, 3.0f, -0.9f), FlightFlying), ClassInvertedHover);
    EXPECT_EQ(FlightClassOf(Moving(4, 0, 0, -0.9f), FlightFlying), ClassInvertedFF);
    EXPECT_EQ(FlightClassOf(Moving(8, 0, 0, -0.9f), FlightFlying), ClassInvertedFFF);
    EXPECT_EQ(FlightClassOf(Moving(8, 0, 0, 0.2f), FlightFlying), ClassHardBanked);
    EXPECT_EQ(FlightClassOf(Moving(4, 0, 0, -0.2f), FlightFlying), ClassHardBanked);

    ResetSession();
    FlightState = FlightFlying;
    ClassifyFlightTime(Moving(8, 0, 0, 1), 0.05f);
    ClassifyFlightTime(Moving(8, 0, 0, 1), 0.1f);
    FlightState = FlightResting;
    ClassifyFlightTime(Moving(8, 0, 0, 1), 0.05f);
    FlightState = FlightFlying;
    EXPECT_FLOAT_EQ(FlightTimeTotals[ClassTotal], 0.2f);
    EXPECT_FLOAT_EQ(FlightTimeTotals[ClassFastForward], 0.15f);
    EXPECT_FLOAT_EQ(FlightTimeTotals[ClassOnGround], 0.05f);
    CrashCount = 4;
    ResetSession();
    EXPECT_EQ(CrashCount, 0u);
    for (float t : FlightTimeTotals)
        EXPECT_EQ(t, 0.0f);
}

TEST(FlightLog, Durations) {
    EXPECT_EQ(FormatDuration(3725.5f), "01:02:05");
    EXPECT_EQ(FormatDuration(0.0f), "00:00:00");
    EXPECT_EQ(FormatDuration(59.99f), "00:00:59");
    EXPECT_EQ(FormatDuration(3600.0f * 123.0f + 61.0f), "123:01:01");
    // Values a damaged file may hold still format without undefined conversions.
    EXPECT_EQ(FormatDuration(NAN), "00:00:00");
    EXPECT_FALSE(FormatDuration(INFINITY).empty());
    EXPECT_FALSE(FormatDuration(-1e30f).empty());
}

TEST(FlightLog, CalendarDatesAreUtc) {
    CalendarDate d = DateOfFileTime(0);
    EXPECT_EQ(d.year, 1601);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    d = DateOfFileTime(FileTimeOfUnix(951825600)); // 2000-02-29 12:00 UTC
    EXPECT_EQ(d.year, 2000);
    EXPECT_EQ(d.month, 2);
    EXPECT_EQ(d.day, 29);
    // 23:30 on 31 December in New York is already 1 January in UTC: the log shows the UTC date.
    d = DateOfFileTime(FileTimeOfUnix(1704083400)); // 2024-01-01 04:30 UTC
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    d = DateOfFileTime(~0ull); // the largest FILETIME stays a plain date
    EXPECT_GT(d.year, 60000);
}

TEST(FlightLog, ViewLogListsSessionsNewestFirst) {
    fs::path dir = TestDir();
    fs::path log = dir / "FlightLogData.log";
    fs::path text = dir / "FlightLog.txt";
    std::vector<uint8_t> bytes;
    PutRecord(bytes, FileTimeOfUnix(1234567890), 2, {600, 100, 200, 300, 0, 0, 0, 0, 0, 0}); // 2009-02-13
    PutRecord(bytes, FileTimeOfUnix(1582977600), 1,
              {3725.5f, 25.5f, 0, 0, 60, 120, 3000, 500, 10, 10});                         // 2020-02-29
    PutRecord(bytes, FileTimeOfUnix(1704065400), 0, {0.5f, 0.5f, 0, 0, 0, 0, 0, 0, 0, 0}); // 2023-12-31 23:30
    for (int i = 0; i < 10; ++i)
        bytes.push_back(0xEE); // a trailing partial record is ignored
    WriteBytes(log, bytes);

    ASSERT_TRUE(ViewLog(log.string(), text.string()));
    const std::string expected = "Flight Time Log\n\n"
                                 "Cumulative Flight Time 01:12:06\n"
                                 "      Crashes 3\n"
                                 "      On Ground 00:02:06\n"
                                 "      Hovering 00:03:20\n"
                                 "      Forward Flight 00:05:00\n"
                                 "      Vertical Motion 00:01:00\n"
                                 "      Fast Forward 00:02:00\n"
                                 "      Hard Banked 00:50:00\n"
                                 "      Inverted Hover 00:08:20\n"
                                 "      Inverted FF 00:00:10\n"
                                 "      Inverted FFF 00:00:10\n\n"
                                 "12/31/2023 - Session Flight Time 00:00:00\n"
                                 "      Crashes 0\n"
                                 "      On Ground 00:00:00\n"
                                 "      Hovering 00:00:00\n"
                                 "      Forward Flight 00:00:00\n"
                                 "      Vertical Motion 00:00:00\n"
                                 "      Fast Forward 00:00:00\n"
                                 "      Hard Banked 00:00:00\n"
                                 "      Inverted Hover 00:00:00\n"
                                 "      Inverted FF 00:00:00\n"
                                 "      Inverted FFF 00:00:00\n\n"
                                 " 2/29/2020 - Session Flight Time 01:02:05\n"
                                 "      Crashes 1\n"
                                 "      On Ground 00:00:25\n"
                                 "      Hovering 00:00:00\n"
                                 "      Forward Flight 00:00:00\n"
                                 "      Vertical Motion 00:01:00\n"
                                 "      Fast Forward 00:02:00\n"
                                 "      Hard Banked 00:50:00\n"
                                 "      Inverted Hover 00:08:20\n"
                                 "      Inverted FF 00:00:10\n"
                                 "      Inverted FFF 00:00:10\n\n"
                                 " 2/13/2009 - Session Flight Time 00:10:00\n"
                                 "      Crashes 2\n"
                                 "      On Ground 00:01:40\n"
                                 "      Hovering 00:03:20\n"
                                 "      Forward Flight 00:05:00\n"
                                 "      Vertical Motion 00:00:00\n"
                                 "      Fast Forward 00:00:00\n"
                                 "      Hard Banked 00:00:00\n"
                                 "      Inverted Hover 00:00:00\n"
                                 "      Inverted FF 00:00:00\n"
                                 "      Inverted FFF 00:00:00\n\n";
    EXPECT_EQ(ReadText(text), expected);

    // No log, or a log shorter than one record: the heading and an all-zero cumulative block... or only the
    // heading when the file cannot be opened.
    fs::remove(log);
    ASSERT_TRUE(ViewLog(log.string(), text.string()));
    EXPECT_EQ(ReadText(text), "Flight Time Log\n\n");
    WriteBytes(log, std::vector<uint8_t>(51, 0x41));
    ASSERT_TRUE(ViewLog(log.string(), text.string()));
    EXPECT_EQ(
        ReadText(text).rfind("Flight Time Log\n\nCumulative Flight Time 00:00:00\n      Crashes 0\n", 0), 0u);
    EXPECT_EQ(ReadText(text).find("Session"), std::string::npos);

    // Hostile values (NaN, huge floats, wrapping crash counts) give text, not a crash.
    bytes.clear();
    PutRecord(bytes, ~0ull, 2147483647, {NAN, INFINITY, -INFINITY, 3e38f, -3e38f, 1e-40f, 0, 0, 0, 0});
    PutRecord(bytes, 0, 2147483647, {3e38f, 3e38f, 0, 0, 0, 0, 0, 0, 0, 0});
    WriteBytes(log, bytes);
    ASSERT_TRUE(ViewLog(log.string(), text.string()));
    EXPECT_NE(ReadText(text).find("Crashes -2\n"), std::string::npos);
    EXPECT_NE(ReadText(text).find(" 1/ 1/1601 - "), std::string::npos);

    // The text file cannot be written: nothing is shown.
    EXPECT_FALSE(ViewLog(log.string(), (dir / "missing" / "FlightLog.txt").string()));
    fs::remove_all(dir);
}

TEST(FlightLog, AppendRoundTrip) {
    fs::path dir = TestDir();
    fs::path log = dir / "FlightLogData.log";
    fs::remove(log);
    const float sessions[3][10] = {{30, 10, 20, 0, 0, 0, 0, 0, 0, 0},
                                   {3725.5f, 0, 0, 3725.5f, 0, 0, 0, 0, 0, 0},
                                   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}; // an empty session is written too
    const uint32_t crashes[3] = {1, 5, 0};
    int64_t before = std::time(nullptr);
    for (int s = 0; s < 3; ++s) {
        std::memcpy(FlightTimeTotals, sessions[s], sizeof FlightTimeTotals);
        CrashCount = crashes[s];
        EXPECT_TRUE(AppendSessionToLog(log.string()));
        EXPECT_EQ(CrashCount, 0u); // every append starts a new session
        EXPECT_EQ(FlightTimeTotals[0], 0.0f);
    }
    int64_t after = std::time(nullptr);

    std::vector<uint8_t> b = ReadBytes(log);
    ASSERT_EQ(b.size(), 156u);
    for (int s = 0; s < 3; ++s) {
        size_t at = 52u * static_cast<size_t>(s);
        uint64_t ft = uint64_t{U32At(b, at)} | uint64_t{U32At(b, at + 4)} << 32;
        EXPECT_GE(ft, FileTimeOfUnix(before));
        EXPECT_LT(ft, FileTimeOfUnix(after + 1));
        EXPECT_EQ(U32At(b, at + 8), crashes[s]);
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(U32At(b, at + 12 + 4u * c), std::bit_cast<uint32_t>(sessions[s][c]));
    }

    std::string text = FlightLogText(log.string());
    EXPECT_EQ(text.rfind("Flight Time Log\n\nCumulative Flight Time 01:02:35\n      Crashes 6\n", 0), 0u);
    size_t newest = text.find("Session Flight Time 00:00:00\n      Crashes 0");
    size_t middle = text.find("Session Flight Time 01:02:05\n      Crashes 5");
    size_t oldest = text.find("Session Flight Time 00:00:30\n      Crashes 1");
    ASSERT_NE(newest, std::string::npos);
    ASSERT_NE(middle, std::string::npos);
    ASSERT_NE(oldest, std::string::npos);
    EXPECT_LT(newest, middle);
    EXPECT_LT(middle, oldest);

    // "Reset Entire Log" deletes the file; the next append creates it anew.
    EXPECT_TRUE(DeleteFlightLog(log.string()));
    EXPECT_FALSE(fs::exists(log));
    EXPECT_FALSE(DeleteFlightLog(log.string()));
    EXPECT_TRUE(AppendSessionToLog(log.string()));
    EXPECT_EQ(fs::file_size(log), 52u);

    // Neither "ab" nor "wb" can open the file: nothing is written, the session is reset anyway.
    CrashCount = 3;
    EXPECT_FALSE(AppendSessionToLog((dir / "missing" / "FlightLogData.log").string()));
    EXPECT_EQ(CrashCount, 0u);
    fs::remove_all(dir);
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
    EXPECT_STREQ(FlightClassLabels[ClassInvertedFF], "Inverted FF");
    EXPECT_STREQ(FlightClassLabels[ClassTotal], "Total Time");
}
