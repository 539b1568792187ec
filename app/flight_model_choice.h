// Which flight model flies the helicopter: the classic model, or the realistic model with one helicopter
// file (the pilot's folder and the shipped helicopters/, the pilot's copy of a name winning). The choice is
// kept in Settings.ini under FlightModelKey; the classic model is the default.
#pragma once
#include <string>
#include <vector>

#include "flight/realistic_model.h"

inline constexpr const char* FlightModelKey = "FlightModel";
inline constexpr const char* ClassicModelName = "Classic";

// The model in use. Written on the main thread under SimMutex, read by the tick under it.
struct FlightModelChoice {
    bool realistic = false;
    std::string name = ClassicModelName; // "Classic" or the helicopter file's name without ".toml"
    RealisticParams params{};
    RealisticDerived derived{};
};
extern FlightModelChoice ActiveFlightModel;

// The helicopter names found in both folders, sorted, each once.
std::vector<std::string> ListHelicopterNames();

// Makes name ("Classic" or a helicopter's name) the model in use, keeps it in Settings.ini and puts the
// helicopter back on its pad. A helicopter file that cannot be read or parsed leaves the model in use as
// it was and returns false with the reason in error ("file:line: key: why"). Main thread.
bool ChooseFlightModel(const std::string& name, std::string& error);

// At start: the model kept in Settings.ini; a file that no longer reads keeps the classic model and the
// pilot is told why. Main thread, before the clock starts.
void LoadFlightModelChoice();

// The menu's choice: as ChooseFlightModel, with a refusal shown to the pilot.
void ChooseFlightModelCommand(const std::string& name);

// Called (SimMutex held) after the model in use changed, to set up its state on the pad; null does nothing.
extern void (*OnFlightModelChanged)();
