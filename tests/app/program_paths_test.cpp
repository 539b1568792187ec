// Where files are read and written: the portable program folder, or the pilot's folder beside an
// installed program, with shipped files read from the install folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/program_paths.h"

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

namespace {
void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

void SetOrUnset(const char* name, const char* value) {
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

// A scratch tree: install/ (the program folder) and share/ (the pilot's XDG_DATA_HOME).
class PathsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(install);
        setenv("XDG_DATA_HOME", share.c_str(), 1);
        ProgramDir = install.string();
    }
    void TearDown() override { fs::remove_all(root); }

    const fs::path root = fs::temp_directory_path() / ("rv_paths_" + std::to_string(getpid()));
    const fs::path install = root / "install", share = root / "share", pilot = share / "rotorvane";
};

TEST_F(PathsTest, PilotFolderFromTheEnvironment) {
    const std::string account = getpwuid(getuid())->pw_dir + std::string("/.local/share/rotorvane");
    const struct {
        const char *xdg, *home;
        std::string expected;
    } cases[] = {
        {"/x/share", "/home/p", "/x/share/rotorvane"},
        {nullptr, "/home/p", "/home/p/.local/share/rotorvane"},
        {"", "/home/p", "/home/p/.local/share/rotorvane"},
        {"relative/share", "/home/p", "/home/p/.local/share/rotorvane"}, // only an absolute path counts
        {nullptr, nullptr, account},
        {nullptr, "not/absolute", account},
    };
    for (const auto& c : cases) {
        SetOrUnset("XDG_DATA_HOME", c.xdg);
        SetOrUnset("HOME", c.home);
        EXPECT_EQ(PilotDataDir(), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

TEST_F(PathsTest, WritableProgramFolderKeepsEverythingBesideItself) {
    Touch(install / "data/canopy.jpg");
    ASSERT_TRUE(ChooseUserDir());
    EXPECT_EQ(UserDir, install.string());
    EXPECT_FALSE(UsingPilotFolder());
    EXPECT_FALSE(fs::exists(pilot));
    EXPECT_EQ(WritePath("UserPrefs.dat"), (install / "UserPrefs.dat").string());
    EXPECT_EQ(ReadPath("data/canopy.jpg"), (install / "data/canopy.jpg").string());
    EXPECT_EQ(ListingFolders("crashsounds"), Paths{(install / "crashsounds").string()});
    EXPECT_EQ(ShippedCounterpart((install / "data").string()), "");
    EXPECT_FALSE(fs::exists(install / ".rotorvane-write-test"));
}

TEST_F(PathsTest, PackagedProgramWritesOnlyToThePilotsFolder) {
    Touch(install / PackageMarkerName);
    Touch(install / "data/canopy.jpg");
    Touch(install / "data/grass.jpg");
    ASSERT_TRUE(ChooseUserDir()); // the install folder is writable here, but belongs to the package
    EXPECT_EQ(UserDir, pilot.string());
    EXPECT_TRUE(UsingPilotFolder());
    for (const char* sub : {"data", "crashsounds", "models", "ModelGeometries", "canopies", "recordings"})
        EXPECT_TRUE(fs::is_directory(pilot / sub)) << sub;

    // The pilot's copy is read when there is one, the shipped file otherwise.
    Touch(pilot / "data/canopy.jpg");
    EXPECT_EQ(ReadPath("data/canopy.jpg"), (pilot / "data/canopy.jpg").string());
    EXPECT_EQ(ReadPath("data/grass.jpg"), (install / "data/grass.jpg").string());
    EXPECT_EQ(ReadPath("UserPrefs.dat"), (install / "UserPrefs.dat").string());
    // Writes go to the pilot's folder, their folder made on the way; listings look there first.
    EXPECT_EQ(WritePath("recordings/new/a.rec"), (pilot / "recordings/new/a.rec").string());
    EXPECT_TRUE(fs::is_directory(pilot / "recordings/new"));
    EXPECT_EQ(ListingFolders("crashsounds"),
              (Paths{(pilot / "crashsounds").string(), (install / "crashsounds").string()}));
}

TEST_F(PathsTest, ProgramFolderThatCannotBeWrittenUsesThePilotsFolder) {
    Touch(root / "file");
    ProgramDir = (root / "file/sub").string(); // a folder under a plain file can never be made
    ASSERT_TRUE(ChooseUserDir());
    EXPECT_EQ(UserDir, pilot.string());
    // Neither folder can be written: reported as failure, the pilot's folder still chosen.
    setenv("XDG_DATA_HOME", (root / "file").c_str(), 1);
    EXPECT_FALSE(ChooseUserDir());
    EXPECT_EQ(UserDir, (root / "file/rotorvane").string());
}

TEST_F(PathsTest, ShippedCounterpartOfAFolderInThePilotsFolder) {
    Touch(install / PackageMarkerName);
    fs::create_directories(install / "models");
    fs::create_directories(install / "ModelGeometries/extra");
    ASSERT_TRUE(ChooseUserDir());
    fs::create_directories(pilot / "ModelGeometries/extra");
    fs::create_directories(pilot / "mine");
    fs::create_directories(share / "rotorvane2");
    fs::create_directory_symlink(pilot, root / "link");
    const struct {
        fs::path folder;
        std::string expected;
    } cases[] = {
        {pilot / "models", (install / "models").string()},
        {pilot / "models/", (install / "models").string()},
        {pilot / "ModelGeometries/extra", (install / "ModelGeometries/extra").string()},
        {root / "link/models", (install / "models").string()}, // reached through a link
        {pilot, install.string()},
        {pilot / "mine", ""},       // the install folder has no such folder
        {install / "models", ""},   // not inside the pilot's folder
        {share, ""},                // the pilot's folder's parent
        {share / "rotorvane2", ""}, // a name that only starts like the pilot's folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShippedCounterpart(c.folder.string()), c.expected) << c.folder;
    // The pilot's folder itself named through a link, the folder by its real path.
    UserDir = (root / "link").string();
    EXPECT_EQ(ShippedCounterpart((pilot / "models").string()), (install / "models").string());
}

TEST(MergedListing, PilotsCopyHidesTheShippedOneSortedAndLimited) {
    const Paths found = {"/p/zeta.wav",   "/p/impact.wav", "/i/alpha.wav",
                         "/i/impact.wav", "/i/zeta.wav",   "/i/beta.wav"};
    EXPECT_EQ(MergeListings(found, 200),
              (Paths{"/i/alpha.wav", "/i/beta.wav", "/p/impact.wav", "/p/zeta.wav"}));
    EXPECT_EQ(MergeListings(found, 3), (Paths{"/i/alpha.wav", "/i/beta.wav", "/p/impact.wav"}));
}
} // namespace
