// The scene the pixel tests draw: the school building and instruments shown, the camera following the
// snapshot's target, Low background resolution, the stock mesh, GL state and a view of the test window.
#pragma once

// Sets the preferences above, builds the scenery and the stock mesh and prepares GL for a width x height
// client area. Call with the test's GL context current and ProgramDir holding the test pictures.
void PrepareTestScene(int width, int height);
// Closes the test GL context and removes the test's ProgramDir.
void EndTestScene();
