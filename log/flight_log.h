// The flight-time log: classification of simulated time, session totals and the cumulative log file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "flight/heli_state.h"

enum FlightClass : int32_t {
    ClassTotal = 0,
    ClassOnGround = 1,
    ClassHovering = 2,
    ClassForwardFlight = 3,
    ClassVerticalMotion = 4,
    ClassFastForward = 5,
    ClassHardBanked = 6,
    ClassInvertedHover = 7,
    ClassInvertedFF = 8,
    ClassInvertedFFF = 9,
};
constexpr int FlightClassCount = 10;

// One session in FlightLogData.log: 52 bytes, little-endian, no padding.
struct FlightLogRecord {
    uint32_t fileTimeLow;  // FILETIME: 100 ns intervals since 1601-01-01 UTC, low word
    uint32_t fileTimeHigh; // high word
    int32_t crashCount;
    float totals[FlightClassCount];
};
static_assert(sizeof(FlightLogRecord) == 52);
static_assert(offsetof(FlightLogRecord, crashCount) == 8);
static_assert(offsetof(FlightLogRecord, totals) == 12);

// The class of one step of flight for a state and flight state (class 1..9, never ClassTotal).
FlightClass FlightClassOf(const HeliState& state, int32_t flightState);
// Adds dt to the total and to the class of the state under flightState (the step's start).
void ClassifyFlightTime(const HeliState& state, int32_t flightState, float dt);
// Zeroes the totals and CrashCount: at start-up, "Reset Session", and after every append.
void ResetSession();

// The system clock as a Windows FILETIME.
uint64_t CurrentFileTime();
// UTC calendar date of a FILETIME.
struct CalendarDate {
    int64_t year;
    int32_t month;
    int32_t day;
};
CalendarDate DateOfFileTime(uint64_t fileTime);

// The current session as one log record stamped with the current time. The caller holds SimMutex (or
// the clock is stopped).
FlightLogRecord SessionRecord();
// Writes the log again with record after the old records (copied into a temporary file that replaces the
// log), so a failure leaves the old log whole. No lock needed: touches only the file. True when written.
bool AppendRecordToLog(const FlightLogRecord& record, const std::string& logPath);
// Takes an appended record off the session: what was flown since the record was taken stays. SimMutex
// held by the caller.
void DeductFromSession(const FlightLogRecord& record);
// Program exit, with the clock stopped: SessionRecord, AppendRecordToLog, and DeductFromSession when it
// was written (a failed append leaves the session as it was). Returns true when the record was written.
bool AppendSessionToLog(const std::string& logPath);

// "Reset Entire Log": deletes the log file (the session totals stay). Returns true when a file was removed.
bool DeleteFlightLog(const std::string& logPath);

// "%02i:%02i:%02i" of hours, minutes and seconds (hours may take more digits).
std::string FormatDuration(float seconds);

// The text of the "Time Log" dialog for the current session.
std::string SessionTimesText();

// The readable log: heading, cumulative block, then every session newest first. A missing or unreadable
// log gives the heading alone; a trailing partial record is ignored.
std::string FlightLogText(const std::string& logPath);

// "View log": writes FlightLogText into textPath. Returns true when the text file was written; the caller
// then opens it with the desktop's viewer (OpenWithDesktopViewer). False means nothing is shown.
bool ViewLog(const std::string& logPath, const std::string& textPath);
