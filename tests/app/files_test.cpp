// The program's own files checked against byte-exact contents: StartUp.par, UserPrefs.dat and Settings.ini,
// atomic saves (a failed save keeps the old file and says so once); and where files are read and written:
// the portable program folder, or the pilot's folder beside an installed program.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <pwd.h>
#include <sstream>
#include <string>
#include <vector>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "assets/settings_ini.h"
#include "tests/assets/file_bytes.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using Paths = std::vector<std::string>;

namespace {
// A fresh scratch folder for each test, no messages pending: install/ is the program folder and share/
// the pilot's XDG_DATA_HOME.
class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(install);
        setenv("XDG_DATA_HOME", share.c_str(), 1);
        ProgramDir = install.string();
        ResetUserMessages();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }

    const fs::path dir = FreshFolder("files");
    const fs::path install = dir / "install", share = dir / "share", pilot = share / "rotorvane";
};

ModelSetup DefaultModel() {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    SetDefaultCurves(m);
    return m;
}

// The nine preferences: scale, then instruments, smooth camera, background, motor, crash, school,
// auto reset and lower camera.
std::string PrefsNow() {
    std::ostringstream out;
    out << heliScale << " " << showInstruments << smoothCameraFollow << " " << backgroundResolution << " "
        << MotorSoundEnabled << CrashSoundEnabled << showSchoolBuilding << autoReset << lowerCameraAngle;
    return out.str();
}
void ResetPrefs() {
    heliScale = 1.5f;
    showInstruments = showSchoolBuilding = CrashSoundEnabled = true;
    smoothCameraFollow = MotorSoundEnabled = autoReset = lowerCameraAngle = false;
    backgroundResolution = 1;
}
} // namespace

TEST_F(FilesTest, ModelSetupSavedAtItsOffsetsAndReadFromShortLongAndMissingFiles) {
    ASSERT_TRUE(SaveModelSetup(DefaultModel(), Path("defaults.par")));
    const std::string b = ReadText(Path("defaults.par"));
    ASSERT_EQ(b.size(), 196u);
    std::ifstream table(RV_TEST_DATA_DIR "/app_model_defaults.txt");
    std::string line, type, field;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line[0] == '#') continue;
        size_t offset = 0;
        float value = 0.0f;
        std::istringstream(line) >> offset >> type >> value >> field;
        int32_t i = 0;
        std::memcpy(&i, &b[offset], 4);
        EXPECT_EQ(type == "int" ? static_cast<float>(i) : std::bit_cast<float>(i), value) << field;
        ++rows;
    }
    EXPECT_EQ(rows, 49);

    // A short file changes only the bytes it holds; only the first 196 bytes of a longer one count, and an
    // expo value no button has is kept.
    ModelSetup m = DefaultModel();
    WriteText(Path("short.par"), "\x07\0\0\0\x08\0\0\0"s);
    EXPECT_TRUE(LoadModelSetup(m, Path("short.par")));
    EXPECT_EQ(m.normalPitchCurve[1], 8);
    EXPECT_EQ(m.normalPitchCurve[2], 50);
    EXPECT_EQ(m.gustPitchUp, 0.4f);
    std::string longer(300, '\0');
    longer[176] = 12;
    WriteText(Path("long.par"), longer);
    EXPECT_TRUE(LoadModelSetup(m, Path("long.par")));
    EXPECT_EQ(m.expoRoll, 12);
    EXPECT_EQ(m.gustPitchUp, 0.0f);
    EXPECT_FALSE(LoadModelSetup(m, Path("missing.par")));
    EXPECT_EQ(m.expoRoll, 12);
    EXPECT_FALSE(SaveModelSetup(m, "/nonexistent-folder/x.par"));

    // Unusable mass, rotor inertia and pinion fall back to their bounds.
    m = DefaultModel();
    EXPECT_EQ(UsableMass(m), 0.8f);
    m.massKg = std::numeric_limits<float>::infinity();
    m.rotorInertia = 0.0f;
    m.pinionTeeth = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(UsableMass(m), 0.01f);
    EXPECT_EQ(UsableRotorInertia(m), 0.01f);
    EXPECT_EQ(UsablePinionTeeth(m), 9.0f);
}

TEST_F(FilesTest, UserPrefsLayoutsAndSettingsIniKeysLinesAndRanges) {
    const std::string current =
        "\xCF\xAB\x43\x20"s + "\0\0\x80\x3F"s + "\x01\0"s + "\x03\0\0\0"s + "\x02\0\0\x01\x01"s;
    const struct {
        const char* name;
        std::string bytes;
        const char* prefs;
    } cases[] = {
        {"old 10-byte layout", "\xCF\xAB\x43\x11"s + "\0\0\0\x40"s + "\0\x01"s, "2 01 1 01100"},
        {"current 19-byte layout", current, "1 10 3 10011"},
        {"unknown tag", "\x78\x56\x34\x12"s + current.substr(4), "1.5 10 1 01100"},
        {"cut inside background", current.substr(0, 11), "1 10 3 01100"},
    };
    for (const auto& c : cases) {
        ResetPrefs();
        WriteText(Path("prefs.dat"), c.bytes);
        LoadUserPrefs(Path("prefs.dat"));
        EXPECT_EQ(PrefsNow(), c.prefs) << c.name;
    }

    WriteText(
        Path("Settings.ini"),
        "# comment\n  volume =  0.5 \r\nno equals sign here\n= value without key\n"
        "; volume = 0.9\nfuture_key = something new\nwidth = 800\nwidth = 1024\n"
        "height = 99999999999999999999\nfraction = nan\nflag = maybe\ndepth = 12 cm\nlast = no newline");
    LoadSettingsFile(Settings, Path("Settings.ini"));
    ASSERT_EQ(Settings.entries.size(), 8u);
    EXPECT_EQ(GetSettingInt("depth", 7, 0, 100), 7); // trailing text: the fallback
    EXPECT_EQ(GetSetting("last", ""), "no newline");
    EXPECT_EQ(GetSettingFloat("volume", 1.0f, 0.0f, 1.0f), 0.5f);
    EXPECT_EQ(GetSettingInt("width", 640, 320, 16384), 1024); // the later line wins
    EXPECT_EQ(GetSettingInt("width", 640, 320, 1000), 640);   // out of range: the fallback
    EXPECT_EQ(GetSettingInt("height", 480, 200, 16384), 480);
    EXPECT_EQ(GetSettingFloat("fraction", 0.25f, 0.0f, 1.0f), 0.25f);
    EXPECT_TRUE(GetSettingBool("flag", true));
    EXPECT_FALSE(GetSettingBool("flag", false));

    SetSettingInt("width", 1280);
    SetSettingFloat("volume", 0.123456f);
    SetSetting("title", "two\nlines");
    ASSERT_TRUE(SaveSettingsFile(Settings, Path("Settings.ini")));
    LoadSettingsFile(Settings, Path("Settings.ini"));
    EXPECT_EQ(GetSetting("future_key", ""), "something new");
    EXPECT_EQ(GetSettingInt("width", 0, 0, 99999), 1280);
    EXPECT_EQ(GetSettingFloat("volume", 0.0f, 0.0f, 1.0f), 0.123456f);
    EXPECT_EQ(GetSetting("title", ""), "two lines");
    LoadSettingsFile(Settings, Path("missing.ini"));
    EXPECT_TRUE(Settings.entries.empty());

    // Only the first megabyte of a huge file is read, quickly.
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i)
        text += "key" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    WriteText(Path("big.ini"), text);
    LoadSettingsFile(Settings, Path("big.ini"));
    EXPECT_LT(Settings.entries.size(), 100000u);
    EXPECT_EQ(GetSetting("key0", ""), "0");
}

TEST_F(FilesTest, AtomicSavesAndThePilotAndProgramFolders) {
    WriteText(Path("a.dat"), "old contents that are longer");
    ASSERT_TRUE(WriteFileAtomically(Path("a.dat"), "new", 3));
    EXPECT_EQ(ReadText(Path("a.dat")), "new");
    WriteText(Path("source"), std::string(200000, 'x'));
    ASSERT_TRUE(CopyFileAtomically(Path("source"), Path("copy")));
    EXPECT_EQ(ReadText(Path("copy")), std::string(200000, 'x'));
    EXPECT_TRUE(TakeUserMessages().empty());
    // A copy from a source that cannot be read and a save abandoned half way leave the target alone.
    WriteText(Path("target"), "kept");
    EXPECT_FALSE(CopyFileAtomically(Path("missing"), Path("target")));
    EXPECT_FALSE(CopyFileAtomically(Path("missing"), Path("target")));
    AtomicWrite aw;
    ASSERT_TRUE(BeginAtomicWrite(aw, Path("target")));
    std::fputs("half", aw.file);
    AbandonAtomicWrite(aw);
    EXPECT_EQ(ReadText(Path("target")), "kept");
    EXPECT_EQ(Entries(), 5u); // with install/
    // Renaming over a folder fails at the last step: the temporary file goes, the folder stays.
    fs::create_directories(dir / "folder" / "inside");
    EXPECT_FALSE(WriteFileAtomically(Path("folder"), "x", 1));
    EXPECT_TRUE(fs::is_directory(dir / "folder" / "inside"));
    EXPECT_EQ(Entries(), 6u);
    const std::vector<std::string> messages = TakeUserMessages();
    ASSERT_EQ(messages.size(), 2u); // the same failure is told once
    EXPECT_EQ(messages[0].rfind("Could not save " + Path("target") + ": cannot read ", 0), 0u) << messages[0];

    const std::string account = getpwuid(getuid())->pw_dir + std::string("/.local/share/rotorvane");
    const struct {
        const char *xdg, *home;
        std::string expected;
    } cases[] = {
        {"/x/share", "/home/p", "/x/share/rotorvane"},
        {nullptr, "/home/p", "/home/p/.local/share/rotorvane"},
        {"relative/share", "/home/p", "/home/p/.local/share/rotorvane"}, // only an absolute path counts
        {nullptr, nullptr, account},
        {nullptr, "not/absolute", account},
    };
    for (const auto& c : cases) {
        c.xdg ? setenv("XDG_DATA_HOME", c.xdg, 1) : unsetenv("XDG_DATA_HOME");
        c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        EXPECT_EQ(PilotDataDir(), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }

    // The program folder is the executable's; the listings of both folders are merged, the pilot's copy of a
    // file hiding the shipped one, sorted and limited.
    EXPECT_EQ(DeriveProgramDir("rotorvane"), ".");
    InitProgramDir();
    EXPECT_TRUE(fs::exists(ProgramPath("app_files_test"))); // the folder of this test program
    const Paths found = {"/p/zeta.wav",   "/p/impact.wav", "/i/alpha.wav",
                         "/i/impact.wav", "/i/zeta.wav",   "/i/beta.wav"};
    EXPECT_EQ(MergeListings(found, 200),
              (Paths{"/i/alpha.wav", "/i/beta.wav", "/p/impact.wav", "/p/zeta.wav"}));
    EXPECT_EQ(MergeListings(found, 3), (Paths{"/i/alpha.wav", "/i/beta.wav", "/p/impact.wav"}));
}

TEST_F(FilesTest, WritableProgramFolderKeepsEverythingBesideItselfElseThePilotsFolder) {
    ASSERT_TRUE(ChooseUserDir());
    EXPECT_EQ(UserDir, install.string());
    EXPECT_FALSE(fs::exists(pilot));
    EXPECT_EQ(ListingFolders("crashsounds"), Paths{(install / "crashsounds").string()});
    EXPECT_EQ(ShippedCounterpart((install / "data").string()), "");
    EXPECT_FALSE(fs::exists(install / ".rotorvane-write-test"));

    // A program folder that can never be made (under a plain file): the pilot's folder; neither folder
    // writable: reported as failure, the pilot's folder still chosen.
    WriteText(dir / "file", "x");
    ProgramDir = (dir / "file/sub").string();
    ASSERT_TRUE(ChooseUserDir());
    EXPECT_EQ(UserDir, pilot.string());
    setenv("XDG_DATA_HOME", (dir / "file").c_str(), 1);
    EXPECT_FALSE(ChooseUserDir());
    EXPECT_EQ(UserDir, (dir / "file/rotorvane").string());
}

TEST_F(FilesTest, PackagedProgramWritesOnlyToThePilotsFolderAndReadsShippedFiles) {
    for (const char* name : {PackageMarkerName, "data/canopy.jpg", "data/grass.jpg"})
        WriteText(install / name, "x");
    fs::create_directories(install / "models");
    fs::create_directories(install / "ModelGeometries/extra");
    ASSERT_TRUE(ChooseUserDir()); // the install folder is writable here, but belongs to the package
    EXPECT_EQ(UserDir, pilot.string());
    EXPECT_TRUE(UsingPilotFolder());
    for (const char* sub : {"data", "crashsounds", "models", "ModelGeometries", "canopies", "recordings"})
        EXPECT_TRUE(fs::is_directory(pilot / sub)) << sub;

    // The pilot's copy is read when there is one, the shipped file otherwise.
    WriteText(pilot / "data/canopy.jpg", "x");
    EXPECT_EQ(ReadPath("data/canopy.jpg"), (pilot / "data/canopy.jpg").string());
    EXPECT_EQ(ReadPath("data/grass.jpg"), (install / "data/grass.jpg").string());
    EXPECT_EQ(ReadPath("UserPrefs.dat"), (install / "UserPrefs.dat").string());
    // Writes go to the pilot's folder, their folder made on the way; listings look there first.
    EXPECT_EQ(WritePath("recordings/new/a.rec"), (pilot / "recordings/new/a.rec").string());
    EXPECT_TRUE(fs::is_directory(pilot / "recordings/new"));
    EXPECT_EQ(ListingFolders("crashsounds"),
              (Paths{(pilot / "crashsounds").string(), (install / "crashsounds").string()}));
    // The shipped counterpart of a folder in the pilot's folder.
    fs::create_directories(pilot / "ModelGeometries/extra");
    fs::create_directories(pilot / "mine");
    fs::create_directories(share / "rotorvane2");
    fs::create_directory_symlink(pilot, dir / "link");
    const struct {
        fs::path folder;
        std::string expected;
    } cases[] = {
        {pilot / "models", (install / "models").string()},
        {pilot / "models/", (install / "models").string()},
        {pilot / "ModelGeometries/extra", (install / "ModelGeometries/extra").string()},
        {dir / "link/models", (install / "models").string()}, // reached through a link
        {pilot, install.string()},
        {pilot / "mine", ""},       // the install folder has no such folder
        {install / "models", ""},   // not inside the pilot's folder
        {share, ""},                // the pilot's folder's parent
        {share / "rotorvane2", ""}, // a name that only starts like the pilot's folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShippedCounterpart(c.folder.string()), c.expected) << c.folder;
    // The pilot's folder itself named through a link, the folder by its real path.
    UserDir = (dir / "link").string();
    EXPECT_EQ(ShippedCounterpart((pilot / "models").string()), (install / "models").string());
}
