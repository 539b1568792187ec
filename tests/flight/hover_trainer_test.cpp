// The hover trainer on flights: one held in the box by the hover pilot through the real step, and
// scripted positions that drift out, turn off heading and crash, scored by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "flight/heli_state.h"
#include "flight/hover_pilot.h"
#include "flight/hover_trainer.h"
#include "tests/flight/pinned_flights.h"

namespace {
const Vec3 Pad = {0.0f, 6.0f, 0.0f};
const Vec3 InTheBox = {0.0f, 6.0f, 1.5f};
const Vec3 TailIn = {0.0f, 1.0f, 0.0f};

// The nose on the task's heading turned by off degrees.
Vec3 NoseFor(int32_t task, float off = 0.0f) {
    const float a = (HoverTaskHeading(task) + off) * 0.01745329f;
    return set(std::sin(a), std::cos(a), 0.0f);
}
} // namespace

TEST(HoverTrainer, TasksBoxScoringAndAHoverHeldForFullMarks) {
    const struct {
        int32_t task;
        const char* name;
        Vec3 nose;
    } tasks[] = {{TaskTailIn, "Tail-in", {0.0f, 1.0f, 0.0f}},
                 {TaskSideOnLeft, "Side-on left", {-1.0f, 0.0f, 0.0f}},
                 {TaskSideOnRight, "Side-on right", {1.0f, 0.0f, 0.0f}},
                 {TaskNoseIn, "Nose-in", {0.0f, -1.0f, 0.0f}}};
    for (const auto& t : tasks) {
        EXPECT_STREQ(HoverTaskName(t.task), t.name);
        // 14 degrees off still counts, 16 does not, on either side; no other task's heading does.
        for (float off : {14.0f, -14.0f, 16.0f, -16.0f})
            EXPECT_EQ(OnTaskHeading(NoseFor(t.task, off), t.task), std::fabs(off) < 15.0f)
                << t.name << " " << off;
        for (const auto& other : tasks)
            EXPECT_EQ(OnTaskHeading(other.nose, t.task), other.task == t.task) << t.name << other.name;
    }
    EXPECT_STREQ(HoverTaskName(4), "");
    EXPECT_FALSE(OnTaskHeading(set(0.0f, 0.0f, 1.0f), TaskTailIn)); // nose straight up: no heading
    // The box: 1 m each way around (0, 6, 1.5).
    const struct {
        Vec3 p;
        bool inside;
    } points[] = {{InTheBox, true},
                  {{0.99f, 6.99f, 2.49f}, true},
                  {{-0.99f, 5.01f, 0.51f}, true},
                  {{1.01f, 6.0f, 1.5f}, false},
                  {{0.0f, 4.9f, 1.5f}, false},
                  {{0.0f, 6.0f, 2.6f}, false},
                  {{0.0f, 6.0f, 0.4f}, false}};
    for (const auto& p : points)
        EXPECT_EQ(InsideHoverBox(p.p, Pad), p.inside) << p.p.x << " " << p.p.y << " " << p.p.z;

    // Positions by hand at 0.05 s a step: 5 s climbing below the box (not counted), 10 s in the box, 5 s
    // drifted out to x = 3, 2 s in the box 20 degrees off heading, then in the box until the task is done.
    // Held 30 s when 10 + 20 s inside have passed, flown 10 + 5 + 2 + 20 = 37 s: 81 %.
    HoverTrainer t;
    StartHoverTrainer(t);
    HoverResult r;
    // A step that simulated no time (paused) starts nothing, even in the box.
    EXPECT_FALSE(UpdateHoverTrainer(t, InTheBox, TailIn, FlightFlying, Pad, 0.0f, r));
    EXPECT_FALSE(t.started);
    const float dt = 0.05f;
    bool done = false;
    for (int step = 0; step < 2000 && !done; ++step) {
        const float s = static_cast<float>(step) * dt;
        Vec3 p = InTheBox, nose = TailIn;
        if (s < 5.0f) p.z = 0.1f * s; // below 0.5 m: outside
        if (s >= 15.0f && s < 20.0f) p.x = 3.0f;
        if (s >= 20.0f && s < 22.0f) nose = NoseFor(TaskTailIn, 20.0f);
        done = UpdateHoverTrainer(t, p, nose, FlightFlying, Pad, dt, r);
        EXPECT_TRUE(s >= 5.0f || !t.started) << s;
    }
    ASSERT_TRUE(done);
    EXPECT_EQ(r.task, TaskTailIn);
    EXPECT_NEAR(r.held, 30.0f, 0.06f);
    EXPECT_NEAR(r.flown, 37.0f, 0.06f);
    EXPECT_NEAR(r.held / r.flown, 30.0f / 37.0f, 0.003f);
    // The next task starts afresh.
    EXPECT_EQ(t.task, TaskSideOnLeft);
    EXPECT_EQ(t.held, 0.0f);
    EXPECT_EQ(HoverScore(t), 0.0f);

    // The clock starts on entering the box, on heading or not.
    EXPECT_FALSE(UpdateHoverTrainer(t, InTheBox, TailIn, FlightFlying, Pad, 2.0f, r));
    EXPECT_TRUE(t.started);
    EXPECT_FLOAT_EQ(t.flown, 2.0f);
    EXPECT_EQ(t.held, 0.0f);
    // A crash throws the attempt away; paused steps (dt 0) count nothing.
    EXPECT_FALSE(UpdateHoverTrainer(t, InTheBox, NoseFor(TaskSideOnLeft), FlightFlying, Pad, 10.0f, r));
    EXPECT_FLOAT_EQ(t.held, 10.0f);
    EXPECT_FALSE(UpdateHoverTrainer(t, InTheBox, NoseFor(TaskSideOnLeft), FlightFlying, Pad, 0.0f, r));
    EXPECT_FLOAT_EQ(t.flown, 12.0f);
    EXPECT_FALSE(UpdateHoverTrainer(t, set(0.0f, 6.0f, 0.0f), TailIn, FlightCrashed, Pad, 0.05f, r));
    EXPECT_EQ(t.held, 0.0f);
    EXPECT_FALSE(t.started);
    // The three other tasks, each held at once, end the training.
    for (int task = TaskSideOnLeft; task <= TaskNoseIn; ++task) {
        EXPECT_TRUE(UpdateHoverTrainer(t, InTheBox, NoseFor(task), FlightFlying, Pad, 30.0f, r));
        EXPECT_EQ(r.task, task);
        EXPECT_EQ(r.held / r.flown, 1.0f);
    }
    EXPECT_TRUE(t.allDone);
    EXPECT_FALSE(UpdateHoverTrainer(t, InTheBox, TailIn, FlightFlying, Pad, 30.0f, r));

    // The hover pilot lifts off the pad and holds 1.5 m over it, tail-in, through the real step (the scripted
    // sticks of the flight tests): from the moment it enters the box the task is held throughout, 100 %.
    FreshSimulation();
    HoverPilot pilot;
    HoverTrainer trainer;
    StartHoverTrainer(trainer);
    HoverResult result;
    bool finished = false;
    for (int step = 0; step < 1400 && !finished; ++step) {
        Sticks = FlyHover(pilot, Heli);
        RunTicks(1);
        finished = UpdateHoverTrainer(trainer, Heli.position, Heli.noseAxis, FlightState, Pad, 0.05f, result);
    }
    ASSERT_TRUE(finished) << "held " << trainer.held << " of " << trainer.flown << " s, at "
                          << Heli.position.x << " " << Heli.position.y << " " << Heli.position.z;
    EXPECT_EQ(result.task, TaskTailIn);
    EXPECT_NEAR(result.held, 30.0f, 0.06f);
    EXPECT_EQ(result.held, result.flown);
}
