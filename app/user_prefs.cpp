// UserPrefs.dat: a layout tag, then each value with its own size, little-endian, no padding.
#include "app/user_prefs.h"
#include "assets/safe_file.h"

#include <cstdio>
#include <cstring>

bool autoReset = false;

namespace {
// Reads one value; a read that ends early changes only the bytes it got.
template <typename T> void ReadValue(std::FILE* f, T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    size_t got = std::fread(bytes, 1, sizeof(T), f);
    std::memcpy(&value, bytes, got);
}

// Booleans live in one byte each; any non-zero byte counts as on.
void ReadBool(std::FILE* f, bool& value) {
    unsigned char byte = value ? 1 : 0;
    if (std::fread(&byte, 1, 1, f) == 1) value = byte != 0;
}

template <typename T> void WriteValue(std::FILE* f, const T& value) { std::fwrite(&value, sizeof(T), 1, f); }
void WriteBool(std::FILE* f, bool value) {
    unsigned char byte = value ? 1 : 0;
    std::fwrite(&byte, 1, 1, f);
}
} // namespace

void LoadUserPrefs(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return;
    uint32_t tag = 0;
    ReadValue(f, tag);
    if (tag == PrefsTagOld || tag == PrefsTagCurrent) {
        ReadValue(f, heliScale);
        ReadBool(f, showInstruments);
        ReadBool(f, smoothCameraFollow);
    }
    if (tag == PrefsTagCurrent) {
        ReadValue(f, backgroundResolution);
        ReadBool(f, MotorSoundEnabled);
        ReadBool(f, CrashSoundEnabled);
        ReadBool(f, showSchoolBuilding);
        ReadBool(f, autoReset);
        ReadBool(f, lowerCameraAngle);
    }
    std::fclose(f);
}

void SaveUserPrefs(const std::string& path) {
    AtomicWrite save;
    if (!BeginAtomicWrite(save, path)) return;
    std::FILE* f = save.file;
    WriteValue(f, PrefsTagCurrent);
    WriteValue(f, heliScale);
    WriteBool(f, showInstruments);
    WriteBool(f, smoothCameraFollow);
    WriteValue(f, backgroundResolution);
    WriteBool(f, MotorSoundEnabled);
    WriteBool(f, CrashSoundEnabled);
    WriteBool(f, showSchoolBuilding);
    WriteBool(f, autoReset);
    WriteBool(f, lowerCameraAngle);
    FinishAtomicWrite(save);
}
