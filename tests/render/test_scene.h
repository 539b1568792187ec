// The scene the pixel tests draw: the school building and instruments shown, the camera following the
// snapshot's target, Low background resolution, the stock mesh, GL state and a view of the test window.
#pragma once
#include "flight/vec_math.h"

// Sets the preferences above, builds the scenery and the stock mesh and prepares GL for a width x height
// client area. Call with the test's GL context current and ProgramDir holding the test pictures.
void PrepareTestScene(int width, int height);
// Closes the test GL context and removes the test's ProgramDir.
void EndTestScene();
// Window position (y from the top) of the world point p for the pilot's eye aimed at target, with the
// program's lens (27 degrees, 0.2 to 300 m) in a width x height view.
bool ProjectInTestView(int width, int height, Vec3 target, Vec3 p, double& x, double& yTop);
