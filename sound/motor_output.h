// The motor sound on its way out: two blocks that circulate as a wave output's buffers do, each refilled
// from the loop when it has been played, with the volume and stereo place taken as it is filled; and the
// placement of a crash sound.
#pragma once
#include <cstdint>

// Sizes both blocks to blockSamples and fills them; the next output starts at the first. The caller
// holds the output's device lock when an output is open.
void PrepareMotorOutput(int32_t blockSamples);
// Samples per block of the prepared output (0 before PrepareMotorOutput or after ClearMotorOutput).
int32_t MotorOutputBlockSamples();
// Forgets the blocks: the output callback then writes silence.
void ClearMotorOutput();
// The output callback: hands out frames frames of channels interleaved samples from the blocks.
void FillMotorOutput(int16_t* out, int32_t frames, int channels);

// Writes a crash sound's mono samples as frames, placed by the helicopter's bearing and scaled by the
// crash volume.
void PlaceCrashSound(const int16_t* mono, int32_t samples, int channels, int16_t* out);
