// Flight-time classification, session totals, the binary log file and its readable text.
#include "log/flight_log.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "assets/safe_file.h"
#include "flight/ground.h"
#include "log/flight_log_internal.h"

static_assert(std::endian::native == std::endian::little, "the log file is little-endian memory layout");

float FlightTimeTotals[FlightClassCount] = {};

namespace {
constexpr uint64_t FileTimeOfUnixEpoch = 116444736000000000ull; // 1970-01-01 in 100 ns since 1601
constexpr uint64_t FileTimePerDay = 864000000000ull;
constexpr int64_t DaysFrom1601To1970 = 134774;

__attribute__((format(printf, 2, 3))) void Appendf(std::string& out, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0)
        out.append(buffer,
                   static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

// Truncation toward zero that stays defined for values an int cannot hold (a damaged log's floats).
int32_t TruncateToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

void AppendBlock(std::string& out, const char* title, const float totals[FlightClassCount], int32_t crashes) {
    Appendf(out,
            "%s %s\n      Crashes %i\n      On Ground %s\n      Hovering %s\n      Forward Flight %s\n      "
            "Vertical Motion %s\n      Fast Forward %s\n      Hard Banked %s\n      Inverted Hover %s\n      "
            "Inverted FF %s\n      Inverted FFF %s\n\n",
            title, FormatDuration(totals[0]).c_str(), crashes, FormatDuration(totals[1]).c_str(),
            FormatDuration(totals[2]).c_str(), FormatDuration(totals[3]).c_str(),
            FormatDuration(totals[4]).c_str(), FormatDuration(totals[5]).c_str(),
            FormatDuration(totals[6]).c_str(), FormatDuration(totals[7]).c_str(),
            FormatDuration(totals[8]).c_str(), FormatDuration(totals[9]).c_str());
}

bool ReadRecord(std::FILE* f, int64_t index, FlightLogRecord& record) {
    if (fseeko(f, static_cast<off_t>(index * static_cast<int64_t>(sizeof(FlightLogRecord))), SEEK_SET) != 0)
        return false;
    return std::fread(&record, sizeof record, 1, f) == 1;
}
} // namespace

FlightClass FlightClassOf(const HeliState& state, int32_t flightState) {
    if (flightState == FlightResting || flightState == FlightCrashed) return ClassOnGround;
    float hs = length(state.velocity.x, state.velocity.y, 0.0f);
    float vs = std::fabs(state.velocity.z);
    float upZ = state.upAxis.z;
    bool slow = hs < 2.0f;
    bool fast = hs > 6.0f;
    bool vertical = vs > 2.0f;
    bool banked = upZ > -0.707f && upZ < 0.707f;
    bool inverted = upZ < 0.0f;
    if (slow) {
        if (!vertical && !banked && !inverted) return ClassHovering;
        if (banked) return ClassHardBanked;
        if (inverted) return ClassInvertedHover;
        return ClassVerticalMotion;
    }
    if (fast) {
        if (banked) return ClassHardBanked;
        if (inverted) return ClassInvertedFFF;
        return ClassFastForward;
    }
    if (banked) return ClassHardBanked;
    if (inverted) return ClassInvertedFF;
    return ClassForwardFlight;
}

void ClassifyFlightTime(const HeliState& state, int32_t flightState, float dt) {
    FlightClass c = FlightClassOf(state, flightState);
    FlightTimeTotals[ClassTotal] += dt;
    FlightTimeTotals[c] += dt;
}

void ResetSession() {
    for (float& t : FlightTimeTotals)
        t = 0.0f;
    CrashCount = 0;
}

uint64_t CurrentFileTime() {
    using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
    int64_t sinceEpoch =
        std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch()).count();
    return FileTimeOfUnixEpoch + static_cast<uint64_t>(sinceEpoch);
}

CalendarDate DateOfFileTime(uint64_t fileTime) {
    // Days since 1970-01-01, then the proleptic Gregorian calendar (no time zone: UTC).
    int64_t z = static_cast<int64_t>(fileTime / FileTimePerDay) - DaysFrom1601To1970 + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int32_t day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
    int32_t month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return CalendarDate{year, month, day};
}

FlightLogRecord SessionRecord() {
    FlightLogRecord record{};
    uint64_t now = CurrentFileTime();
    record.fileTimeLow = static_cast<uint32_t>(now & 0xFFFFFFFFu);
    record.fileTimeHigh = static_cast<uint32_t>(now >> 32);
    record.crashCount = static_cast<int32_t>(CrashCount);
    std::memcpy(record.totals, FlightTimeTotals, sizeof record.totals);
    return record;
}

bool AppendRecordToLog(const FlightLogRecord& record, const std::string& logPath) {
    // The old log is copied into a temporary file with the new record after it, and that file replaces
    // the log: a crash or a full disk mid-save leaves the previous log whole.
    AtomicWrite save;
    if (!BeginAtomicWrite(save, logPath)) return false;
    bool copied = true;
    if (std::FILE* old = std::fopen(logPath.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while (copied && (n = std::fread(buffer, 1, sizeof buffer, old)) > 0)
            copied = std::fwrite(buffer, 1, n, save.file) == n;
        copied = copied && !std::ferror(old);
        std::fclose(old);
    } else if (errno != ENOENT) {
        copied = false; // a log that is there but cannot be read is never replaced by a shorter one
    }
    if (copied && std::fwrite(&record, sizeof record, 1, save.file) == 1) return FinishAtomicWrite(save);
    AbandonAtomicWrite(save);
    ReportSaveFailure(logPath, "the log could not be copied");
    return false;
}

void DeductFromSession(const FlightLogRecord& record) {
    for (int c = 0; c < FlightClassCount; ++c)
        FlightTimeTotals[c] = std::max(0.0f, FlightTimeTotals[c] - record.totals[c]);
    CrashCount -= std::min(CrashCount, static_cast<uint32_t>(record.crashCount));
}

bool AppendSessionToLog(const std::string& logPath) {
    FlightLogRecord record = SessionRecord();
    if (!AppendRecordToLog(record, logPath)) return false;
    DeductFromSession(record);
    return true;
}

bool DeleteFlightLog(const std::string& logPath) {
    std::error_code ec;
    return std::filesystem::remove(logPath, ec);
}

std::string FormatDuration(float t) {
    int32_t h = TruncateToInt(t / 3600.0f);
    float r = t - 3600.0f * static_cast<float>(h);
    int32_t m = TruncateToInt(r / 60.0f);
    int32_t s = TruncateToInt(r - 60.0f * static_cast<float>(m));
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02i:%02i:%02i", h, m, s);
    return buffer;
}

std::string SessionTimesText() {
    const float* t = FlightTimeTotals;
    std::string out;
    Appendf(
        out,
        "Total Time     \t %s  \n\nCrashes        \t %i  \n\nOn Ground      \t %s  \nHovering       \t %s  "
        "\nForward Flight \t %s  \nVertical Motion\t %s  \nFast Forward   \t %s  \nHard Banked    \t %s  "
        "\nInverted Hover \t %s  \nInverted FF    \t %s  \nInverted FFF   \t %s",
        FormatDuration(t[0]).c_str(), static_cast<int32_t>(CrashCount), FormatDuration(t[1]).c_str(),
        FormatDuration(t[2]).c_str(), FormatDuration(t[3]).c_str(), FormatDuration(t[4]).c_str(),
        FormatDuration(t[5]).c_str(), FormatDuration(t[6]).c_str(), FormatDuration(t[7]).c_str(),
        FormatDuration(t[8]).c_str(), FormatDuration(t[9]).c_str());
    return out;
}

std::string FlightLogText(const std::string& logPath) {
    std::string out = "Flight Time Log\n\n";
    std::FILE* f = std::fopen(logPath.c_str(), "rb");
    if (!f) return out;
    int64_t count = 0;
    if (fseeko(f, 0, SEEK_END) == 0) {
        off_t size = ftello(f);
        if (size > 0) count = static_cast<int64_t>(size) / static_cast<int64_t>(sizeof(FlightLogRecord));
    }

    float sums[FlightClassCount] = {};
    uint32_t crashSum = 0; // wraps like the 32-bit sum it stands for
    for (int64_t i = 0; i < count; ++i) {
        FlightLogRecord record;
        if (!ReadRecord(f, i, record)) {
            count = i; // the file shrank while being read: list what was there
            break;
        }
        for (int c = 0; c < FlightClassCount; ++c)
            sums[c] += record.totals[c];
        crashSum += static_cast<uint32_t>(record.crashCount);
    }
    AppendBlock(out, "Cumulative Flight Time", sums, static_cast<int32_t>(crashSum));

    for (int64_t i = count - 1; i >= 0; --i) {
        FlightLogRecord record;
        if (!ReadRecord(f, i, record)) continue;
        uint64_t fileTime = (static_cast<uint64_t>(record.fileTimeHigh) << 32) | record.fileTimeLow;
        CalendarDate date = DateOfFileTime(fileTime);
        Appendf(out, "%2i/%2i/%4i - ", date.month, date.day, static_cast<int32_t>(date.year));
        AppendBlock(out, "Session Flight Time", record.totals, record.crashCount);
    }
    std::fclose(f);
    return out;
}

bool ViewLog(const std::string& logPath, const std::string& textPath) {
    std::string body = FlightLogText(logPath);
    return WriteFileAtomically(textPath, body.data(), body.size());
}
