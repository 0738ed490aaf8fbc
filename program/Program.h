#pragma once

#include <functional>

class TFMainBoard;

// The program entry: creates every window in its order and runs the event loop until the board
// closes. `shown` runs once the board is on its way to the screen (for measurements).
int RunQuillet(int argc, char** argv, const std::function<void(TFMainBoard&)>& shown = {});
