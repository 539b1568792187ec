// The hover trainer: a box 1.5 m over the start pad and four tasks (tail-in, side-on left and right,
// nose-in), each held 30 s inside the box within 15 degrees of its heading. Reads only HeliState and the
// flight state, so it scores either flight model alike, and never changes the step.
#pragma once
#include <cstdint>
#include "flight/vec_math.h"

enum HoverTask : int32_t {
    TaskTailIn = 0,
    TaskSideOnLeft = 1,
    TaskSideOnRight = 2,
    TaskNoseIn = 3,
    HoverTaskCount
};

constexpr float HoverBoxHalfSize = 1.0f;   // m: the box reaches 1 m around its centre each way
constexpr float HoverBoxHeight = 1.5f;     // m above the pad
constexpr float HoverTaskSeconds = 30.0f;  // held this long, the task is done
constexpr float HoverHeadingLimit = 15.0f; // degrees either side of the task's heading

struct HoverTrainer {
    bool active = false;
    int32_t task = TaskTailIn;
    bool started = false; // the task's clock runs from the first moment inside the box
    bool inside = false;  // inside the box and on heading at the last update
    float held = 0.0f;    // s inside the box on heading since the task started
    float flown = 0.0f;   // s since the task started
    bool allDone = false;
};
extern HoverTrainer Trainer;

// A task finished: what the history keeps.
struct HoverResult {
    int32_t task = TaskTailIn;
    float held = 0.0f;
    float flown = 0.0f;
};

// "Tail-in", "Side-on left", "Side-on right", "Nose-in"; "" for other values.
const char* HoverTaskName(int32_t task);
// Heading the nose points to for a task, in degrees counted from +y (away from the pilot) toward +x (the
// pilot's right): tail-in 0, side-on left -90, side-on right 90, nose-in 180.
float HoverTaskHeading(int32_t task);
// The nose's heading by the same rule (the nose projected on the ground).
float NoseHeading(Vec3 noseAxis);
// Whether position lies in the box over pad and the nose within the limit of the task's heading.
bool InsideHoverBox(Vec3 position, Vec3 pad);
bool OnTaskHeading(Vec3 noseAxis, int32_t task);

// Starts (or restarts) the trainer at the first task.
void StartHoverTrainer(HoverTrainer& trainer);
// Time held over time flown, 0..1 (0 before the clock runs).
float HoverScore(const HoverTrainer& trainer);

// One step of dt seconds flown: counts the time inside the box; the task's clock starts on first
// entering the box and stops on a crash (the task starts again). Returns true and fills result when the
// task was completed by this step; the trainer then moves to the next task (after nose-in it is done).
bool UpdateHoverTrainer(HoverTrainer& trainer, Vec3 position, Vec3 noseAxis, int32_t flightState, Vec3 pad,
                        float dt, HoverResult& result);
