// TrainingHistory.txt beside the flight log: one line per hover-trainer task finished, as
// "YYYY-MM-DD HH:MM<TAB>task<TAB>seconds held<TAB>seconds flown". Lines that do not read so are skipped
// (and counted); new results are added to the file as it is, so nothing in it is ever lost.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct TrainingRecord {
    std::string date; // "2026-12-07 14:05"
    std::string task; // "Tail-in"
    float held = 0.0f;
    float flown = 0.0f;
};

struct TrainingHistory {
    std::vector<TrainingRecord> records; // in file order
    size_t damagedLines = 0;
};

// The line of one record, newline included.
std::string FormatTrainingRecord(const TrainingRecord& record);
// Reads the text of the file; a line that does not parse counts as damaged.
TrainingHistory ParseTrainingHistory(const std::string& text);
// Reads path (a missing file is an empty history; at most 4 MiB are read).
TrainingHistory LoadTrainingHistory(const std::string& path);
// Adds one record at the end of path (written atomically). False (and reported) on failure.
bool AppendTrainingRecord(const std::string& path, const TrainingRecord& record);
// Time held over time flown as a whole percentage (0 for no time flown).
int TrainingScorePercent(const TrainingRecord& record);
