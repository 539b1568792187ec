// Crash sounds: scanning the crashsounds folder, the random pick and the hand-over to the tick thread.
#include "sound/crash_sounds.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "flight/sim_rand.h"
#include "sound/crash_sounds_internal.h"
#include "sound/sound_switches.h"

std::vector<std::string> CrashSoundList;
std::atomic<bool> CrashSoundPlaying{false};

namespace {
// Guards the hand-over between the step that picks a sound and the tick that plays it.
std::mutex pendingMutex;
std::string pendingPath;
bool playbackRunning = false;
std::atomic<bool> stopPlayback{false};
std::atomic<CrashSoundPlayer> installedPlayer{nullptr};

bool HasWavExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".wav";
}
} // namespace

void ScanCrashSounds(const std::string& folder) {
    CrashSoundList.clear();
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return;
    std::vector<std::string> names;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        if (!HasWavExtension(name)) continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        names.push_back(name);
    }
    // The file system hands names out in no fixed order; sorting keeps the pick the same on every machine.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (static_cast<int>(CrashSoundList.size()) >= MaxCrashSounds) break;
        CrashSoundList.push_back(folder + "/" + name);
    }
}

int PickCrashSound(int r, int count) {
    if (count <= 0) return -1;
    // Each of the 32768 values of r maps to one entry and every entry gets an equal share (to one value),
    // so the last file is heard as often as the others.
    int index = static_cast<int>(static_cast<int64_t>(r) * count / 32768);
    return std::clamp(index, 0, count - 1);
}

void PlayCrashSound() {
    CrashSoundPlaying = true;
    if (!CrashSoundEnabled) return;
    // The random value is drawn even for an empty list so the sequence stays the same either way.
    int index = PickCrashSound(SimRand(), static_cast<int>(CrashSoundList.size()));
    if (index < 0) return;
    std::lock_guard<std::mutex> lock(pendingMutex);
    pendingPath = CrashSoundList[index];
}

void EndCrashSound() {
    CrashSoundPlaying = false;
    std::lock_guard<std::mutex> lock(pendingMutex);
    pendingPath.clear();
    if (playbackRunning) stopPlayback = true;
}

void PlayPendingCrashSound() {
    std::string path;
    CrashSoundPlayer player = installedPlayer.load();
    {
        std::lock_guard<std::mutex> lock(pendingMutex);
        if (pendingPath.empty()) return;
        path.swap(pendingPath);
        if (!player) return;
        playbackRunning = true;
        stopPlayback = false;
    }
    player(path, stopPlayback);
    std::lock_guard<std::mutex> lock(pendingMutex);
    playbackRunning = false;
}

void SetCrashSoundPlayer(CrashSoundPlayer player) {
    installedPlayer = player;
}

void ToggleCrashSound() {
    std::lock_guard<std::mutex> lock(SimMutex);
    CrashSoundEnabled = !CrashSoundEnabled;
}
