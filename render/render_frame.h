// Fixed GL state, the frame in its fixed order, the camera rules and the reaction to a resize.
#pragma once
#include <cstdint>
#include "flight/vec_math.h"

extern int32_t clientWidth;
extern int32_t clientHeight;
// Whole-number scale of the instruments overlay (the display's scale); 1 keeps the described pixel sizes.
extern int32_t OverlayScale;

// Set when no stored preference chose the Background Resolution: InitGL then picks "High" when the GL
// implementation takes a 4096-pixel texture, "Medium" on a software rasterizer.
extern bool PreferHighBackdrop;
// The Background Resolution for the start: when preferred, 2 on a software rasterizer (the High panorama
// would hold 17 MiB more of texture in main memory) and 3 where a side of 4096 fits; else current.
int32_t StartBackgroundResolution(bool preferHigh, int32_t maxTextureSize, bool software, int32_t current);

// Sets the state that stays for the whole run, makes the six texture names and loads every texture.
// Needs the GL context current (the platform layer creates it); leaves it current.
void InitGL();

// Window client area changed (the area below the menu bar). A zero side counts as 1 pixel.
// Needs the GL context current.
void ResizeView(int32_t width, int32_t height);

// Draws one frame from FrameSnapshot (take CaptureRenderSnapshot first) into a client area of this size.
// The caller draws the menus over it, finishes the picture and swaps the buffers.
void RenderFrame(int32_t width, int32_t height);

// Where the camera looks: the smoothed or the live position, lowered by 0.08 rad of elevation when
// lowerAngle is on; a target straight above the eye is nudged so the view stays defined.
Vec3 CameraLookTarget(Vec3 position, Vec3 smoothedTarget, bool smoothFollow, bool lowerAngle);
