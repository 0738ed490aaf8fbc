#pragma once

#include <QString>

#include <functional>

class TFMainBoard;

// What a measurement may watch of the running program.
struct ProgramHooks {
    // Runs once the board is on its way to the screen.
    std::function<void(TFMainBoard&)> shown;
    // Told of every narration handed to the sound server ("stop" when one is cut off), and
    // whether it started.
    std::function<void(const QString& path, bool started)> played;
};

// The program entry: creates every window in its order and runs the event loop until the board
// closes.
int RunQuillet(int argc, char** argv, const ProgramHooks& hooks = {});
