// Entry point: start-up in a fixed order, the main loop (events, timers, one frame), shutdown saves.
#include <malloc.h>

#include <mutex>
#include <string>

#include "app/app_wiring.h"
#include "app/main_menu_ui.h"
#include "app/menu.h"
#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "app/sim_tick.h"
#include "app/transmitter.h"
#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "flight/heli_state.h"
#include "platform/key_latch.h"
#include "platform/quit_signals.h"
#include "platform/window.h"
#include "render/textures.h"
#include "sound/crash_sounds.h"

int main() {
    // One heap for every thread. The threads allocate little once running, and the pictures read on the
    // start-up thread would otherwise leave several MiB resident in a heap of its own, which trimming
    // cannot give back.
    mallopt(M_ARENA_MAX, 1);
    // Before anything can be lost: a signal from here on ends the run through the normal shutdown.
    InstallQuitSignalHandlers();
    // Says once when the folder for the pilot's files cannot be written.
    InitProgramDir();
    StartUpBeforeWindow();
    // The scene's pictures are read while the window and its GL context are made.
    StartPreparingScenePictures();

    if (!CreateMainWindow(1024, 768)) {
        // Nothing is saved when there is no window; the reason was said on stderr.
        FinishPreparingScenePictures();
        return 1;
    }
    DisableScreenSaverForRun();
    StartUpWithWindow();
    ShowMainWindow();
    StartSimulationClock();

    PlatformEvents events;
    events.keyDown = [](int keycode, bool repeat) {
        // Typing into a text box is never a shortcut; in a modal dialog only the switch keys are.
        if (KeyCountsAsShortcut(keycode, TextBoxHasKeyboard(), ModalDialogOpen()))
            LatchKeyPress(keycode, repeat);
    };
    events.joystickAdded = JoystickDeviceAdded;
    events.joystickRemoved = TransmitterRemoved;

    RunMainLoop(events);

    // A crash sound still playing is cut short, so the clock's thread can be joined at once.
    EndCrashSound();
    StopSimulationClock();
    ShutdownSaves();
    RestoreScreenSaver();
    DestroyMainWindow();
    return 0;
}
