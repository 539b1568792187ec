// One frame of the window: the scene (or the frozen crash picture), then the menu, dialogs and hints over it.
#pragma once
#include "render/render_snapshot.h"

// Draws and shows one frame. The first frame that sees a crash freezes its picture; from then on the
// frozen picture is shown with the crash report over it until the next reset.
void DrawOneFrame();
// The instruments' sticks, the switch lamps and the recorder marks of a frame (SimMutex held): the
// snapshot's controls capture, installed at start-up.
void CaptureControls(RenderSnapshot& s);
