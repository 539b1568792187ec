// TrainingHistory.txt: records written and read back, damaged lines skipped and counted, and adding a
// result to a damaged file keeps every byte that was there.
#include <gtest/gtest.h>

#include <string>

#include "app/training_history.h"
#include "tests/assets/file_bytes.h"

TEST(TrainingHistory, RoundTripScoresAndDamagedLinesKept) {
    const std::string path = (FreshFolder("history") / "TrainingHistory.txt").string();
    EXPECT_TRUE(LoadTrainingHistory(path).records.empty()); // no file yet
    const TrainingRecord records[] = {{"2026-12-07 14:05", "Tail-in", 30.0f, 30.0f},
                                      {"2026-12-07 14:07", "Side-on left", 30.0f, 41.5f},
                                      {"2026-12-08 09:00", "Nose-in", 30.1f, 45.1f}};
    for (const TrainingRecord& r : records)
        ASSERT_TRUE(AppendTrainingRecord(path, r));
    EXPECT_EQ(ReadText(path),
              "2026-12-07 14:05\tTail-in\t30.0\t30.0\n2026-12-07 14:07\tSide-on left\t30.0\t41.5\n"
              "2026-12-08 09:00\tNose-in\t30.1\t45.1\n");
    const TrainingHistory h = LoadTrainingHistory(path);
    ASSERT_EQ(h.records.size(), 3u);
    EXPECT_EQ(h.damagedLines, 0u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(h.records[i].date, records[i].date);
        EXPECT_EQ(h.records[i].task, records[i].task);
        EXPECT_FLOAT_EQ(h.records[i].held, records[i].held);
        EXPECT_FLOAT_EQ(h.records[i].flown, records[i].flown);
    }
    EXPECT_EQ(TrainingScorePercent(h.records[0]), 100);
    EXPECT_EQ(TrainingScorePercent(h.records[1]), 72); // 30 / 41.5
    EXPECT_EQ(TrainingScorePercent(h.records[2]), 67); // 66.7 rounds up
    EXPECT_EQ(TrainingScorePercent({"", "", 0.0f, 0.0f}), 0);

    const std::string good = "2026-12-07 14:05\tTail-in\t30.0\t35.0\n";
    const std::string damaged[] = {
        "garbage\n",
        "2026-12-07 14:05\tTail-in\t30.0\n",       // a field missing
        "2026-12-07 14:05\tTail-in\t31.0\t30.0\n", // held longer than flown
        "2026-12-07 14:05\tTail-in\tnan\t30.0\n",  // not a number
        "2026-12-07 14:05\tTail-in\t-1\t30.0\n",   // negative
        "2026-1x-07 14:05\tTail-in\t1\t30.0\n",    // a letter in the date
        "2026-12-07 14:05\t\t1\t30.0\n",           // no task
        std::string("2026-12-07 14:05\tT\x01il\t1\t30.0\n"),
        "2026-12-07 14:05\tTail-in\t1\t30.0\textra\n", // a field too many
        std::string(300, '\xff') + "\n",
    };
    std::string text = good;
    for (const std::string& line : damaged)
        text += line;
    text += "\r\n\n" + good.substr(0, good.size() - 1); // an empty line and a last line without newline
    const TrainingHistory parsed = ParseTrainingHistory(text);
    EXPECT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.damagedLines, std::size(damaged));

    // A new result goes after the damaged file's bytes, which stay as they were.
    WriteText(path, text);
    ASSERT_TRUE(AppendTrainingRecord(path, {"2026-12-09 10:00", "Nose-in", 30.0f, 30.0f}));
    EXPECT_EQ(ReadText(path), text + "\n2026-12-09 10:00\tNose-in\t30.0\t30.0\n");
    EXPECT_EQ(LoadTrainingHistory(path).records.size(), 3u);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
