// Model setup files, preference files and the program folder, checked against byte-exact files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/model_setup.h"
#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"

namespace {
std::string TempFile(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / "rotorvane_app_tests";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutF32(std::vector<uint8_t>& b, size_t at, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutU32(b, at, v);
}
uint32_t GetU32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
float GetF32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v = GetU32(b, at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

void ResetPrefs() {
    heliScale = 1.5f;
    showInstruments = true;
    smoothCameraFollow = false;
    backgroundResolution = 1;
    MotorSoundEnabled = false;
    CrashSoundEnabled = true;
    showSchoolBuilding = true;
    autoReset = false;
    lowerCameraAngle = false;
}
} // namespace

TEST(ModelSetupFile, DefaultsSavedAtTheirOffsets) {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    SetDefaultCurves(m);
    std::string path = TempFile("defaults.par");
    ASSERT_FALSE(SaveModelSetup(m, path));
    std::vector<uint8_t> b = ReadBytes(path);
    ASSERT_EQ(b.size(), 196u);
    const int32_t curves[20] = {40, 45, 50, 75, 100, 0,   25, 50, 75, 100,
                                0,  70, 80, 90, 100, 100, 90, 85, 90, 100};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(static_cast<int32_t>(GetU32(b, 4 * i)), curves[i]) << i;
    struct {
        size_t offset;
        float value;
    } floats[] = {{80, 1.0f},    {84, 1.0f},   {88, 1.0f},    {92, 11.0f},   {96, 7.0f},   {100, 0.8f},
                  {104, 2.0f},   {108, 0.55f}, {112, 11.4f},  {116, 0.2f},   {120, 0.7f},  {124, 0.6f},
                  {128, 3550.f}, {132, 0.1f},  {136, 0.007f}, {140, 0.017f}, {144, 12.0f}, {148, 0.685f},
                  {164, 1.0f},   {168, 1.0f},  {172, 1.0f},   {188, 0.1f},   {192, 0.4f}};
    for (auto& f : floats)
        EXPECT_EQ(GetF32(b, f.offset), f.value) << f.offset;
    struct {
        size_t offset;
        int32_t value;
    } ints[] = {{152, 1}, {156, 0}, {160, 1}, {176, 20}, {180, 20}, {184, 20}};
    for (auto& i : ints)
        EXPECT_EQ(static_cast<int32_t>(GetU32(b, i.offset)), i.value) << i.offset;
}

TEST(ModelSetupFile, ShortEmptyLongAndMissingFiles) {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    SetDefaultCurves(m);
    ModelSetup before = m;

    std::string empty = TempFile("empty.par");
    WriteBytes(empty, {});
    EXPECT_FALSE(LoadModelSetup(m, empty)); // success, nothing changed
    EXPECT_EQ(std::memcmp(&m, &before, sizeof m), 0);

    // Eight bytes: the first two points of the normal pitch curve only.
    std::vector<uint8_t> shortFile(8, 0);
    PutU32(shortFile, 0, 7);
    PutU32(shortFile, 4, 8);
    std::string shortPath = TempFile("short.par");
    WriteBytes(shortPath, shortFile);
    EXPECT_FALSE(LoadModelSetup(m, shortPath));
    EXPECT_EQ(m.normalPitchCurve[0], 7);
    EXPECT_EQ(m.normalPitchCurve[1], 8);
    EXPECT_EQ(m.normalPitchCurve[2], 50);
    EXPECT_EQ(m.gustPitchUp, 0.4f);

    // A longer file: only its first 196 bytes count; an odd expo value is kept as it is.
    std::vector<uint8_t> longFile(300, 0);
    PutU32(longFile, 176, 12);
    PutF32(longFile, 100, 1.25f);
    std::string longPath = TempFile("long.par");
    WriteBytes(longPath, longFile);
    EXPECT_FALSE(LoadModelSetup(m, longPath));
    EXPECT_EQ(m.expoRoll, 12);
    EXPECT_EQ(m.massKg, 1.25f);

    ModelSetup kept = m;
    EXPECT_TRUE(LoadModelSetup(m, TempFile("does-not-exist.par")));
    EXPECT_EQ(std::memcmp(&m, &kept, sizeof m), 0);
    EXPECT_TRUE(SaveModelSetup(m, "/nonexistent-folder/x.par"));
}

TEST(ModelSetupFile, RoundTripKeepsEveryByte) {
    std::vector<uint8_t> b(196);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i * 7 + 3);
    std::string in = TempFile("pattern.par");
    WriteBytes(in, b);
    ModelSetup m{};
    ASSERT_FALSE(LoadModelSetup(m, in));
    std::string out = TempFile("pattern-out.par");
    ASSERT_FALSE(SaveModelSetup(m, out));
    EXPECT_EQ(ReadBytes(out), b);
}

TEST(ModelSetupFile, UnusableMassInertiaAndPinionFallBackToTheirBounds) {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    EXPECT_EQ(UsableMass(m), 0.8f);
    m.massKg = 0.0f;
    m.rotorInertia = -2.0f;
    m.pinionTeeth = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(UsableMass(m), 0.01f);
    EXPECT_EQ(UsableRotorInertia(m), 0.01f);
    EXPECT_EQ(UsablePinionTeeth(m), 9.0f);
    m.massKg = std::numeric_limits<float>::infinity();
    EXPECT_EQ(UsableMass(m), 0.01f);
}

TEST(UserPrefsFile, MissingCurrentOldAndUnknownLayouts) {
    ResetPrefs();
    LoadUserPrefs(TempFile("no-prefs.dat"));
    EXPECT_EQ(heliScale, 1.5f);
    EXPECT_TRUE(showInstruments);
    EXPECT_TRUE(showSchoolBuilding);
    EXPECT_TRUE(CrashSoundEnabled);
    EXPECT_FALSE(MotorSoundEnabled);
    EXPECT_EQ(backgroundResolution, 1);

    // The older 10-byte layout: scale and two booleans; the rest keep their initial values.
    std::vector<uint8_t> old(10, 0);
    PutU32(old, 0, 0x1143ABCF);
    PutF32(old, 4, 2.0f);
    old[8] = 0;
    old[9] = 1;
    std::string oldPath = TempFile("old-prefs.dat");
    WriteBytes(oldPath, old);
    LoadUserPrefs(oldPath);
    EXPECT_EQ(heliScale, 2.0f);
    EXPECT_FALSE(showInstruments);
    EXPECT_TRUE(smoothCameraFollow);
    EXPECT_EQ(backgroundResolution, 1);
    EXPECT_TRUE(CrashSoundEnabled);

    // Saving always writes the 19-byte layout, one byte 0/1 per boolean.
    std::string saved = TempFile("saved-prefs.dat");
    SaveUserPrefs(saved);
    std::vector<uint8_t> b = ReadBytes(saved);
    ASSERT_EQ(b.size(), 19u);
    EXPECT_EQ(GetU32(b, 0), 0x2043ABCFu);
    EXPECT_EQ(GetF32(b, 4), 2.0f);
    EXPECT_EQ(b[8], 0);
    EXPECT_EQ(b[9], 1);
    EXPECT_EQ(GetU32(b, 10), 1u);
    EXPECT_EQ(b[14], 0);
    EXPECT_EQ(b[15], 1);
    EXPECT_EQ(b[16], 1);
    EXPECT_EQ(b[17], 0);
    EXPECT_EQ(b[18], 0);

    // The current layout with every value changed.
    std::vector<uint8_t> cur(19, 0);
    PutU32(cur, 0, 0x2043ABCF);
    PutF32(cur, 4, 1.0f);
    cur[8] = 1;
    cur[9] = 0;
    PutU32(cur, 10, 3);
    cur[14] = 1;
    cur[15] = 0;
    cur[16] = 0;
    cur[17] = 1;
    cur[18] = 1;
    std::string curPath = TempFile("cur-prefs.dat");
    WriteBytes(curPath, cur);
    LoadUserPrefs(curPath);
    EXPECT_EQ(heliScale, 1.0f);
    EXPECT_TRUE(showInstruments);
    EXPECT_EQ(backgroundResolution, 3);
    EXPECT_TRUE(MotorSoundEnabled);
    EXPECT_FALSE(CrashSoundEnabled);
    EXPECT_FALSE(showSchoolBuilding);
    EXPECT_TRUE(autoReset);
    EXPECT_TRUE(lowerCameraAngle);

    // An unknown tag is ignored as a whole.
    ResetPrefs();
    std::vector<uint8_t> unknown = cur;
    PutU32(unknown, 0, 0x12345678);
    std::string unknownPath = TempFile("unknown-prefs.dat");
    WriteBytes(unknownPath, unknown);
    LoadUserPrefs(unknownPath);
    EXPECT_EQ(heliScale, 1.5f);
    EXPECT_EQ(backgroundResolution, 1);
    EXPECT_FALSE(autoReset);

    // A file cut inside backgroundResolution changes only the bytes it holds.
    ResetPrefs();
    std::vector<uint8_t> cut(cur.begin(), cur.begin() + 11);
    std::string cutPath = TempFile("cut-prefs.dat");
    WriteBytes(cutPath, cut);
    LoadUserPrefs(cutPath);
    EXPECT_EQ(heliScale, 1.0f);
    EXPECT_EQ(backgroundResolution, 3); // low byte 3 over the initial 1
    EXPECT_TRUE(CrashSoundEnabled);
    ResetPrefs();
}

TEST(ProgramFolder, DerivedFromTheExecutablePath) {
    EXPECT_EQ(DeriveProgramDir("/opt/rotorvane/rotorvane"), "/opt/rotorvane");
    EXPECT_EQ(DeriveProgramDir("/a/b/c/rotorvane"), "/a/b/c");
    EXPECT_EQ(DeriveProgramDir("rotorvane"), ".");
    EXPECT_EQ(DeriveProgramDir("/rotorvane"), "");
    std::string longDir = "/" + std::string(400, 'x');
    EXPECT_EQ(DeriveProgramDir(longDir + "/rotorvane"), longDir); // no 260-character limit
    ProgramDir = "";
    EXPECT_EQ(ProgramPath("UserPrefs.dat"), "/UserPrefs.dat");
    InitProgramDir();
    // The folder of the running executable, which is this test program.
    EXPECT_TRUE(std::filesystem::exists(ProgramPath("app_files_test")));
}

TEST(SpeedTable, StepPerTick) {
    const float expected[7] = {0.0125f, 0.025f, 0.0375f, 0.05f, 0.06f, 0.075f, 0.1f};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(TimeStepForSpeed(i), expected[i]);
    EXPECT_EQ(TimeStepForSpeed(-1), 0.1f);
    EXPECT_EQ(TimeStepForSpeed(42), 0.1f);
}
