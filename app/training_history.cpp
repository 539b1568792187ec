// Reading and adding to the hover trainer's history file.
#include "app/training_history.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "assets/safe_file.h"
#include "assets/text.h"

namespace {
constexpr size_t MaxHistoryBytes = 4u << 20;
// A longer file is not rewritten: adding to it would need more than the window ever shows.
constexpr size_t MaxAppendBytes = 64u << 20;

bool ReadText(const std::string& path, std::string& text, size_t limit = MaxHistoryBytes) {
    text.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[4096];
    size_t n;
    while (text.size() <= limit && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    if (text.size() > limit) text.resize(limit);
    return true;
}

bool ReadSeconds(const std::string& field, float& value) {
    if (field.empty() || field.size() > 16) return false;
    char* end = nullptr;
    value = std::strtof(field.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && value >= 0.0f && value <= 1e6f;
}

// "YYYY-MM-DD HH:MM" with digits where digits belong.
bool ReadDate(const std::string& field) {
    const char* shape = "dddd-dd-dd dd:dd";
    if (field.size() != 16) return false;
    for (size_t i = 0; i < 16; ++i) {
        const char c = field[i];
        if (shape[i] == 'd' ? (c < '0' || c > '9') : c != shape[i]) return false;
    }
    return true;
}

bool ReadTaskName(const std::string& field) {
    if (field.empty() || field.size() > 40) return false;
    for (char c : field)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) return false;
    return true;
}
} // namespace

std::string FormatTrainingRecord(const TrainingRecord& record) {
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, "\t%.1f\t%.1f\n", static_cast<double>(record.held),
                  static_cast<double>(record.flown));
    return record.date + "\t" + record.task + seconds;
}

TrainingHistory ParseTrainingHistory(const std::string& text) {
    TrainingHistory history;
    for (std::string line : SplitText(text, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> fields = SplitText(line, '\t');
        TrainingRecord record;
        if (fields.size() == 4 && ReadDate(fields[0]) && ReadTaskName(fields[1]) &&
            ReadSeconds(fields[2], record.held) && ReadSeconds(fields[3], record.flown) &&
            record.held <= record.flown) {
            record.date = fields[0];
            record.task = fields[1];
            history.records.push_back(record);
        } else {
            history.damagedLines += 1;
        }
    }
    return history;
}

TrainingHistory LoadTrainingHistory(const std::string& path) {
    std::string text;
    if (!ReadText(path, text)) return {};
    return ParseTrainingHistory(text);
}

bool AppendTrainingRecord(const std::string& path, const TrainingRecord& record) {
    std::string text;
    if (ReadText(path, text, MaxAppendBytes + 1) && text.size() > MaxAppendBytes) {
        ReportSaveFailure(path, "the file is over 64 MiB; move it away to keep a new history");
        return false;
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += FormatTrainingRecord(record);
    return WriteFileAtomically(path, text.data(), text.size());
}

int TrainingScorePercent(const TrainingRecord& record) {
    if (!(record.flown > 0.0f)) return 0;
    return static_cast<int>(std::lround(100.0 * static_cast<double>(record.held / record.flown)));
}
