// The scene the frame tests draw: a GL context of their size, a program folder of their own whose data/
// holds the pictures they write, and the scenery, the stock helicopter and the view built as at start-up.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "assets/xmesh.h"
#include "render/render_frame.h"
#include "render/scenery.h"
#include "tests/assets/file_bytes.h"
#include "tests/render/gl_test_context.h"

class GlScene : public ::testing::Environment {
  public:
    GlScene(int width, int height, void (*writePictures)(const std::string& dataFolder))
        : width(width), height(height), writePictures(writePictures) {}
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateTestGLContext(width, height, error)) << error;
        ProgramDir = FreshFolder("scene").string();
        std::filesystem::create_directories(ProgramDir + "/data");
        writePictures(ProgramDir + "/data/");
        backgroundResolution = 1;
        BuildSceneryGeometry();
        LoadXMesh(std::string(), HeliMesh, false);
        BuildShadowCircle();
        InitGL();
        ResizeView(width, height);
    }
    void TearDown() override {
        DestroyTestGLContext();
        std::filesystem::remove_all(ProgramDir);
    }

  private:
    int width, height;
    void (*writePictures)(const std::string&);
};
