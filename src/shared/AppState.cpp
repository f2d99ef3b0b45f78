#include "AppState.h"

namespace {
AppState g_state;
}

AppState& State() {
    return g_state;
}

void resetState() {
    g_state = AppState();
}
