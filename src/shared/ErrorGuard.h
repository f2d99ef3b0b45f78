#pragma once

#include <functional>

// Runs a handler and shows an engine error it throws in the error box, so that a failed
// statement ends the handler but never the program. Every window and the grid wrap their
// handlers in it.
void guarded(const std::function<void()>& action);
