// Atomic saves (a failed save keeps the old file and says so once) and Settings.ini (kept unknown keys,
// skipped damaged lines, values outside their range).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "app/safe_file.h"
#include "app/settings_ini.h"

namespace fs = std::filesystem;

namespace {
// Makes dir refuse new files: no write permission, and for root (whom permissions do not stop) the
// immutable attribute. False when the folder stays writable (e.g. no right to set the attribute).
bool LockFolder(const fs::path& dir, bool lock) {
    std::error_code ec;
    const std::string attribute =
        "chattr " + std::string(lock ? "+i " : "-i ") + dir.string() + " 2>/dev/null";
    if (!lock && ::geteuid() == 0) (void)std::system(attribute.c_str());
    fs::permissions(dir, fs::perms::owner_write, lock ? fs::perm_options::remove : fs::perm_options::add, ec);
    if (lock && ::geteuid() == 0) (void)std::system(attribute.c_str());
    const fs::path probe = dir / "probe";
    bool writable = std::ofstream(probe).is_open();
    fs::remove(probe, ec);
    return !writable;
}

struct Folder {
    fs::path dir = fs::temp_directory_path() / ("rv_safe_file_" + std::to_string(::getpid()));
    Folder() {
        fs::remove_all(dir);
        fs::create_directories(dir);
        ResetUserMessages();
    }
    ~Folder() {
        LockFolder(dir, false);
        fs::remove_all(dir);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
} // namespace

TEST(SafeFile, SavesReplaceWholeFilesAndLeaveNoTemporaryFile) {
    Folder f;
    Write(f.Path("a.dat"), "old contents that are longer");
    ASSERT_TRUE(WriteFileAtomically(f.Path("a.dat"), "new", 3));
    EXPECT_EQ(Read(f.Path("a.dat")), "new");
    Write(f.Path("source"), std::string(200000, 'x'));
    ASSERT_TRUE(CopyFileAtomically(f.Path("source"), f.Path("copy")));
    EXPECT_EQ(Read(f.Path("copy")), std::string(200000, 'x'));
    EXPECT_EQ(f.Entries(), 3u);
    EXPECT_TRUE(TakeUserMessages().empty());
}

TEST(SafeFile, FailedSaveKeepsTheOldFileAndSaysSoOnce) {
    Folder f;
    const std::string path = f.Path("UserPrefs.dat");
    Write(path, "the previous preferences");
    if (!LockFolder(f.dir, true)) GTEST_SKIP() << "the folder cannot be made read-only here";
    EXPECT_FALSE(WriteFileAtomically(path, "x", 1));
    EXPECT_FALSE(WriteFileAtomically(path, "y", 1));
    EXPECT_FALSE(CopyFileAtomically(path, path + ".copy"));
    LockFolder(f.dir, false);
    EXPECT_EQ(Read(path), "the previous preferences");
    EXPECT_EQ(f.Entries(), 1u);
    std::vector<std::string> messages = TakeUserMessages();
    ASSERT_EQ(messages.size(), 2u); // one per file, however often it failed
    EXPECT_EQ(messages[0].rfind("Could not save " + path + ": ", 0), 0u) << messages[0];
    EXPECT_NE(messages[1].find(path + ".copy"), std::string::npos) << messages[1];
}

TEST(SafeFile, UnreadableSourceAbandonedSaveAndFolderTargetKeepTheOldFile) {
    Folder f;
    // A copy from a source that cannot be read and a save abandoned half way both leave the target alone.
    Write(f.Path("target"), "kept");
    EXPECT_FALSE(CopyFileAtomically(f.Path("missing"), f.Path("target")));
    AtomicWrite aw;
    ASSERT_TRUE(BeginAtomicWrite(aw, f.Path("target")));
    std::fputs("half", aw.file);
    AbandonAtomicWrite(aw);
    EXPECT_EQ(Read(f.Path("target")), "kept");
    EXPECT_EQ(f.Entries(), 1u);
    // Renaming over a folder fails at the last step: the temporary file goes, the folder stays.
    fs::create_directories(f.dir / "folder" / "inside");
    EXPECT_FALSE(WriteFileAtomically(f.Path("folder"), "x", 1));
    EXPECT_TRUE(fs::is_directory(f.dir / "folder" / "inside"));
    EXPECT_EQ(f.Entries(), 2u);
    EXPECT_EQ(TakeUserMessages().size(), 2u);
}

TEST(SettingsIni, KeepsUnknownKeysSkipsDamagedLinesAndChecksRanges) {
    Folder f;
    const std::string path = f.Path("Settings.ini");
    Write(path, "# comment\n"
                "  volume =  0.5 \r\n"
                "no equals sign here\n"
                "= value without key\n"
                "; volume = 0.9\n"
                "future_key = something new\n"
                "width = 800\n"
                "width = 1024\n"
                "height = 99999999999999999999\n"
                "fraction = nan\n"
                "flag = maybe\n"
                "last = without newline");
    Settings = SettingsFile{};
    LoadSettingsFile(Settings, path);
    ASSERT_EQ(Settings.entries.size(), 7u);
    EXPECT_EQ(GetSetting("future_key", ""), "something new");
    EXPECT_EQ(GetSetting("last", ""), "without newline");
    EXPECT_FLOAT_EQ(GetSettingFloat("volume", 1.0f, 0.0f, 1.0f), 0.5f);
    EXPECT_EQ(GetSettingInt("width", 640, 320, 16384), 1024); // the later line wins
    EXPECT_EQ(GetSettingInt("width", 640, 320, 1000), 640);   // out of range: the fallback
    EXPECT_EQ(GetSettingInt("height", 480, 200, 16384), 480);
    EXPECT_FLOAT_EQ(GetSettingFloat("fraction", 0.25f, 0.0f, 1.0f), 0.25f);
    EXPECT_TRUE(GetSettingBool("flag", true));
    EXPECT_FALSE(GetSettingBool("flag", false));

    SetSettingInt("width", 1280);
    SetSetting("title", "two\nlines");
    ASSERT_TRUE(SaveSettingsFile(Settings, path));
    Settings = SettingsFile{};
    LoadSettingsFile(Settings, path);
    EXPECT_EQ(GetSetting("future_key", ""), "something new");
    EXPECT_EQ(GetSettingInt("width", 0, 0, 99999), 1280);
    EXPECT_EQ(GetSetting("title", ""), "two lines");

    // A missing file means defaults.
    LoadSettingsFile(Settings, f.Path("missing.ini"));
    EXPECT_TRUE(Settings.entries.empty());
}

TEST(SettingsIni, HugeFileLoadsQuicklyAndOnlyItsFirstMegabyte) {
    Folder f;
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i)
        text += "key" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    Write(f.Path("big.ini"), text);
    Settings = SettingsFile{};
    LoadSettingsFile(Settings, f.Path("big.ini"));
    EXPECT_GT(Settings.entries.size(), 50000u);
    EXPECT_LT(Settings.entries.size(), 100000u);
    EXPECT_EQ(GetSetting("key0", ""), "0");
}
