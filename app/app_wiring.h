// The shell's way in for the entry point: start-up, the main loop and shutdown, in the order in which the
// subsystems are brought up and saved (startup_shutdown.cpp, main_loop.cpp, transmitter_state.cpp).
#pragma once
#include "platform/window.h"

// Steps before the window exists: scenery tables, preferences, stock mesh, session, calibration,
// mapping, model setup, recorder.
void StartUpBeforeWindow();
// Steps once the window and its GL context exist: GL state and textures, reset, switch priming,
// crash sounds, motor sound, record/play bar.
void StartUpWithWindow();
// Events, the joystick poll of every pass, the 50 ms switch and key watch, and one frame, until
// QuitRequested.
void RunMainLoop(const PlatformEvents& events);
// After the clock was stopped: preferences, calibration, mapping, model setup, then the log append.
void ShutdownSaves();

// SDL_JOYDEVICEREMOVED: when the transmitter in use is gone the simulation pauses and the overlay says so.
void TransmitterRemoved(int instanceId);
// The transmitter in use is gone (its removal event, or a poll that found it missing): pause and say so.
void TransmitterLost();

// The 50 ms watch: controller switches first, then the first key pressed since the last look.
void WatchSwitchesAndKeys();
