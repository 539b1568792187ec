// The motor output's two circulating blocks and the crash sound's placement.
#include "sound/motor_output.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sound/motor_sound.h"
#include "sound/sound_levels.h"

namespace {
int32_t motorBlockSamples = 0;
std::vector<int16_t> motorBlocks[2];
StereoGains blockGains[2]; // volume and stereo position taken when each block was filled
int playingBlock = 0;      // the block the callback is handing out
int32_t playingPos = 0;    // samples of it already handed out

// Hands out the blocks in turn; a block that has been played to its end is refilled at once and goes
// behind the other one, as a wave output hands a finished block back to be queued again. The volume and
// the stereo position are taken with each block, as its rotor speed and distance are, and applied here on
// the way out, so they too change only where a block starts.
void FillMotorOutputBlock(int b) {
    FillNextMotorBlock(motorBlocks[b].data(), motorBlockSamples);
    StereoGains gains = CurrentPan();
    const float volume = MotorOutputGain();
    blockGains[b] = StereoGains{gains.left * volume, gains.right * volume};
}
} // namespace

void PrepareMotorOutput(int32_t blockSamples) {
    motorBlockSamples = blockSamples;
    for (std::vector<int16_t>& block : motorBlocks)
        block.assign(static_cast<size_t>(std::max(blockSamples, 0)), 0);
    for (int b = 0; b < 2; ++b)
        FillMotorOutputBlock(b);
    playingBlock = 0;
    playingPos = 0;
}

int32_t MotorOutputBlockSamples() {
    return motorBlockSamples;
}

void ClearMotorOutput() {
    motorBlockSamples = 0;
}

void FillMotorOutput(int16_t* out, int32_t frames, int channels) {
    if (motorBlockSamples <= 0) {
        std::memset(out, 0, static_cast<size_t>(frames) * static_cast<size_t>(channels) * 2);
        return;
    }
    int32_t wanted = frames;
    while (wanted > 0) {
        if (playingPos >= motorBlockSamples) {
            FillMotorOutputBlock(playingBlock);
            playingBlock ^= 1;
            playingPos = 0;
        }
        int32_t n = std::min(wanted, motorBlockSamples - playingPos);
        WriteOutputFrames(motorBlocks[playingBlock].data() + playingPos, n, blockGains[playingBlock],
                          channels, out);
        out += n * channels;
        wanted -= n;
        playingPos += n;
    }
}

void PlaceCrashSound(const int16_t* mono, int32_t samples, int channels, int16_t* out) {
    StereoGains gains = CurrentPan();
    const float volume = CrashOutputGain();
    gains.left *= volume;
    gains.right *= volume;
    WriteOutputFrames(mono, samples, gains, channels, out);
}
