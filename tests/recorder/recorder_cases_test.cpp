// Recorder case beside the file tests: seeking moves neither the slider nor, at the end, the picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "flight/heli_state.h"
#include "recorder/flight_recorder.h"

// Four 88-byte frames after the 8-byte header; every state float of frame n is 10 n.
TEST(RecorderCases, SeekingKeepsTheSliderAndTheEndKeepsThePicture) {
    std::string path =
        (std::filesystem::temp_directory_path() / ("rv_rec_cases_" + std::to_string(getpid()) + ".rec"))
            .string();
    InitFlightRecorder(path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    const uint32_t header[2] = {0x12345678u, 4u};
    std::fwrite(header, 4, 2, f);
    for (int n = 0; n < 4; ++n) {
        unsigned char frame[88] = {};
        for (int i = 0; i < 16; ++i) {
            float v = 10.0f * float(n);
            std::memcpy(frame + 4 * i, &v, 4);
        }
        std::fwrite(frame, 1, sizeof frame, f);
    }
    std::fclose(f);

    StartPlayback();  // frame 0
    PlayFrame(false); // frame 1: the slider follows playback
    EXPECT_EQ(Recorder.sliderPos.load(), 2u);
    Recorder.sliderPos = 2;
    SeekToSliderPosition(); // shows frame 2; the thumb stays where it was put
    EXPECT_EQ(Heli.voltageFactor, 20.0f);
    EXPECT_EQ(Recorder.sliderPos.load(), 2u);
    Heli.position.x = 42.0f;
    Recorder.sliderPos = 4;
    SeekToSliderPosition(); // past the last frame: the end, and the picture stays as it is
    EXPECT_EQ(Heli.position.x, 42.0f);
    StopRecorder();
    std::remove(path.c_str());
}
