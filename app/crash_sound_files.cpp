// The crash sound files found at start: the pilot's folder and the install folder, as one list.
#include "app/crash_sound_files.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "sound/crash_sounds.h"
#include "sound/riff_wave.h"

namespace {
// Crash sounds that are no RIFF WAVE file are named once at start, with the folder they were looked for in.
void ReportUnreadableCrashSounds(const std::string& folder) {
    if (CrashSoundList.empty()) return ReportReadFailure(folder, "any crash sound (.wav)");
    std::string unreadable;
    for (const std::string& path : CrashSoundList) {
        std::vector<uint8_t> bytes(1 << 16);
        size_t got = 0;
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            got = std::fread(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        // The first 64 KiB hold the headers; a data chunk running past them is read as far as it goes.
        WaveChunks chunks;
        if (!ParseRiffWave(bytes.data(), got, chunks))
            unreadable += (unreadable.empty() ? "" : ", ") + path.substr(path.find_last_of('/') + 1);
    }
    if (!unreadable.empty()) ReportReadFailure(folder, "the crash sounds " + unreadable);
}

// The crash sounds of the pilot's folder and of the install folder, as one list.
void ScanAllCrashSounds() {
    std::vector<std::string> found;
    for (const std::string& folder : ListingFolders("crashsounds")) {
        ScanCrashSounds(folder);
        found.insert(found.end(), CrashSoundList.begin(), CrashSoundList.end());
    }
    CrashSoundList = MergeListings(found, static_cast<size_t>(MaxCrashSounds));
}
} // namespace

void FindCrashSoundFiles() {
    ScanAllCrashSounds();
    std::string folders;
    for (const std::string& folder : ListingFolders("crashsounds"))
        folders += (folders.empty() ? "" : " or ") + folder;
    ReportUnreadableCrashSounds(folders);
}
