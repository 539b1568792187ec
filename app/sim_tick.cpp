// The simulation tick and its 50 ms clock.
#include "app/sim_tick.h"

#include <mutex>

#include "app/hover_trainer_shell.h"
#include "app/periodic_clock.h"
#include "app/realistic_tick.h"
#include "app/shared_flags.h"
#include "app/sim_step.h"
#include "app/transmitter.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "flight/wind.h"
#include "platform/thread_priority.h"
#include "recorder/flight_recorder.h"
#include "render/motion_smoothing.h"
#include "sound/crash_sounds.h"
#include "sound/motor_sound.h"
#include "sound/sound_levels.h"

bool (*ReadSticksForStep)() = nullptr;
std::atomic<bool> TimingThreadRaised{false};

void SimulationTick() {
    bool realistic;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        realistic = TakeRealisticTick();
    }
    if (realistic) {
        // Its steps read the sticks every millisecond: the frames take what they read meanwhile. A
        // crash sound playing to its end holds the tick, so the frames read for themselves again.
        StepsPollEveryMillisecond.store(true);
        RealisticTick();
        StepsPollEveryMillisecond.store(false);
        PlayPendingCrashSound();
        return;
    }
    const bool sticksLost = ReadSticksForStep && !ReadSticksForStep();
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        // Nothing flies on a transmitter that vanished, nor while Calibrate rebuilds the axes.
        if ((sticksLost && !RecorderPlaying()) || PauseHeld) SimPaused = true;
        SimTimeStep = RecorderPlaying() ? StepSeconds : TimeStepForSpeed(SimSpeed);
        HeliState before = Heli;
        int32_t flightStateBefore = FlightState;
        StepSimulation(SimTimeStep);
        // Only read by the drawing, which carries the helicopter forward between ticks.
        RecordStep(StepHistory, before, flightStateBefore, Heli, FlightState, SimTimeStep,
                   FrameClockSeconds());
        StepWind(SimTimeStep);
        StepTurbulence(SimTimeStep);
        HoverTrainerTick();
        PublishSoundInputs(Heli.rotorRpm, Heli.pilotDistance, Heli.dopplerFactor);
        PublishSoundPosition(Heli.position.x, Heli.position.y);
    }
    // A crash sound picked by the step plays to its end here, with the lock released.
    PlayPendingCrashSound();
}

void StartSimulationClock() {
    // The realistic model's steps are 1 ms apart: a busy machine must not hold the clock's thread back.
    StartPeriodicClock(SimulationTick, std::chrono::milliseconds(TickPeriodMs),
                       [] { TimingThreadRaised = RaiseThreadPriorityForTiming(); });
}

void StopSimulationClock() {
    StopPeriodicClock();
}
