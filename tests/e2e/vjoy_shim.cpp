// Test-only shared library, loaded with LD_PRELOAD into the real program: it stands virtual joysticks
// in for transmitters. After the program's SDL_Init it attaches the devices listed in RV_VJOY_START,
// then follows the command file RV_VJOY_COMMANDS (one command a line, read as it grows):
//   attach AXES BUTTONS HATS NAME     detach NAME
//   axis INDEX VALUE NAME             button INDEX 0|1 NAME          hat INDEX VALUE NAME
//   sweep INDEX PERIOD_MS STEPS NAME  moves the axis to and fro over its whole travel in STEPS levels, one
//                                     level every PERIOD_MS on a thread of its own (as a transmitter that
//                                     sends at that rate with that resolution); PERIOD_MS 0 stops it
// RV_VJOY_START holds attach arguments separated by ';'. Every axis starts centred. After each command the
// number of commands applied so far replaces the contents of the file RV_VJOY_COMMANDS.done.
#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::map<std::string, SDL_Joystick*> devices;

void Attach(std::istringstream& in) {
    int axes = 0, buttons = 0, hats = 0;
    in >> axes >> buttons >> hats;
    std::string name;
    std::getline(in >> std::ws, name);
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = static_cast<Uint16>(axes);
    desc.nbuttons = static_cast<Uint16>(buttons);
    desc.nhats = static_cast<Uint16>(hats);
    desc.vendor_id = 0x1209;
    desc.product_id = static_cast<Uint16>(std::hash<std::string>{}(name) | 1);
    desc.name = name.c_str();
    int index = SDL_JoystickAttachVirtualEx(&desc);
    SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (!joystick) {
        std::fprintf(stderr, "vjoy: cannot attach %s: %s\n", name.c_str(), SDL_GetError());
        return;
    }
    for (int i = 0; i < axes; ++i)
        SDL_JoystickSetVirtualAxis(joystick, i, 0);
    devices[name] = joystick;
}

void Detach(const std::string& name) {
    auto it = devices.find(name);
    if (it == devices.end()) return;
    SDL_JoystickID instance = SDL_JoystickInstanceID(it->second);
    SDL_JoystickClose(it->second);
    devices.erase(it);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
}

// The running sweeps by device and axis; a new sweep command replaces (or with period 0 stops) one.
std::map<std::pair<std::string, int>, std::shared_ptr<std::atomic<bool>>> sweeps;

void Sweep(SDL_Joystick* joystick, int axis, int periodMs, int steps,
           std::shared_ptr<std::atomic<bool>> run) {
    int level = 0, direction = 1;
    auto next = std::chrono::steady_clock::now();
    while (run->load()) {
        const long value = -32768L + 65535L * level / (steps - 1);
        SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(value));
        if (level + direction < 0 || level + direction >= steps) direction = -direction;
        level += direction;
        next += std::chrono::milliseconds(periodMs);
        std::this_thread::sleep_until(next);
    }
}

void Run(const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "attach") return Attach(in);
    if (command == "sweep") {
        int axis = 0, periodMs = 0, steps = 0;
        in >> axis >> periodMs >> steps;
        std::string name;
        std::getline(in >> std::ws, name);
        auto it = devices.find(name);
        auto& running = sweeps[{name, axis}];
        if (running) running->store(false);
        running.reset();
        if (it == devices.end() || periodMs <= 0 || steps < 2) return;
        running = std::make_shared<std::atomic<bool>>(true);
        std::thread(Sweep, it->second, axis, periodMs, steps, running).detach();
        return;
    }
    int index = 0, value = 0;
    if (command != "detach") in >> index >> value;
    std::string name;
    std::getline(in >> std::ws, name);
    if (command == "detach") return Detach(name);
    auto it = devices.find(name);
    if (it == devices.end()) return;
    if (command == "axis") SDL_JoystickSetVirtualAxis(it->second, index, static_cast<Sint16>(value));
    if (command == "button") SDL_JoystickSetVirtualButton(it->second, index, static_cast<Uint8>(value));
    if (command == "hat") SDL_JoystickSetVirtualHat(it->second, index, static_cast<Uint8>(value));
}

void FollowCommands(std::string path) {
    std::streamoff done = 0;
    long applied = 0;
    for (;;) {
        std::ifstream file(path);
        if (file) {
            file.seekg(done);
            std::string line;
            while (std::getline(file, line)) {
                if (file.eof()) break; // a line still being written
                done = file.tellg();
                Run(line);
                std::ofstream(path + ".done", std::ios::trunc) << ++applied << '\n';
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

extern "C" int SDL_Init(Uint32 flags) {
    using InitFunction = int (*)(Uint32);
    static InitFunction real = reinterpret_cast<InitFunction>(dlsym(RTLD_NEXT, "SDL_Init"));
    int result = real(flags);
    static std::atomic<bool> started{false};
    if (result != 0 || !(flags & SDL_INIT_JOYSTICK) || started.exchange(true)) return result;
    if (const char* start = std::getenv("RV_VJOY_START")) {
        std::istringstream list(start);
        std::string item;
        while (std::getline(list, item, ';')) {
            std::istringstream in(item);
            if (!item.empty()) Attach(in);
        }
    }
    if (const char* commands = std::getenv("RV_VJOY_COMMANDS"))
        std::thread(FollowCommands, commands).detach();
    return result;
}
