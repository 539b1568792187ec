// Hover trainer tasks, box and scoring.
#include "flight/hover_trainer.h"

#include <cmath>

#include "flight/heli_state.h"

HoverTrainer Trainer;

namespace {
constexpr float DegPerRad = 57.2957795f;
}

const char* HoverTaskName(int32_t task) {
    switch (task) {
    case TaskTailIn:
        return "Tail-in";
    case TaskSideOnLeft:
        return "Side-on left";
    case TaskSideOnRight:
        return "Side-on right";
    case TaskNoseIn:
        return "Nose-in";
    default:
        return "";
    }
}

float HoverTaskHeading(int32_t task) {
    switch (task) {
    case TaskSideOnLeft:
        return -90.0f;
    case TaskSideOnRight:
        return 90.0f;
    case TaskNoseIn:
        return 180.0f;
    default:
        return 0.0f;
    }
}

float NoseHeading(Vec3 noseAxis) {
    return std::atan2(noseAxis.x, noseAxis.y) * DegPerRad;
}

bool InsideHoverBox(Vec3 position, Vec3 pad) {
    return std::fabs(position.x - pad.x) <= HoverBoxHalfSize &&
           std::fabs(position.y - pad.y) <= HoverBoxHalfSize &&
           std::fabs(position.z - (pad.z + HoverBoxHeight)) <= HoverBoxHalfSize;
}

bool OnTaskHeading(Vec3 noseAxis, int32_t task) {
    // A nose pointing straight up or down has no heading.
    if (std::hypot(noseAxis.x, noseAxis.y) < 0.2f) return false;
    float error = std::remainder(NoseHeading(noseAxis) - HoverTaskHeading(task), 360.0f);
    return std::fabs(error) <= HoverHeadingLimit;
}

void StartHoverTrainer(HoverTrainer& trainer) {
    trainer = HoverTrainer{};
    trainer.active = true;
}

float HoverScore(const HoverTrainer& trainer) {
    return trainer.flown > 0.0f ? trainer.held / trainer.flown : 0.0f;
}

bool UpdateHoverTrainer(HoverTrainer& trainer, Vec3 position, Vec3 noseAxis, int32_t flightState, Vec3 pad,
                        float dt, HoverResult& result) {
    if (!trainer.active || trainer.allDone || !(dt > 0.0f)) return false;
    if (flightState == FlightCrashed || flightState == FlightCrashShown) {
        // A crash ends the attempt: the task starts again once the helicopter is back in the box.
        trainer.started = trainer.inside = false;
        trainer.held = trainer.flown = 0.0f;
        return false;
    }
    trainer.inside = InsideHoverBox(position, pad) && OnTaskHeading(noseAxis, trainer.task);
    if (!trainer.started && !InsideHoverBox(position, pad)) return false;
    trainer.started = true;
    trainer.flown += dt;
    if (trainer.inside) trainer.held += dt;
    if (trainer.held < HoverTaskSeconds) return false;
    result.task = trainer.task;
    result.held = trainer.held;
    result.flown = trainer.flown;
    trainer.task += 1;
    trainer.started = trainer.inside = false;
    trainer.held = trainer.flown = 0.0f;
    if (trainer.task >= HoverTaskCount) trainer.allDone = true;
    return true;
}
