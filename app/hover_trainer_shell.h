// The hover trainer in the program: its update after each step, the overlay line, the results written
// to TrainingHistory.txt and the "Training history" window.
#pragma once

// On the tick thread with SimMutex held, after the step: scores the step just flown or played back (not
// while paused or in slow motion) and queues a task finished in flight for the main thread.
void HoverTrainerTick();
// "Hover trainer": starts the trainer at its first task, or stops it.
void ToggleHoverTrainer();
bool HoverTrainerOn();
void ShowTrainingHistory();
// Main thread, every frame inside the ImGui frame: writes queued results, draws the trainer's line at
// the top of the picture (y is where the picture starts) and the history window when open.
void DrawHoverTrainerUi(int menuHeight, int clientWidth);
