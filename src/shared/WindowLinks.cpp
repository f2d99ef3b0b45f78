#include "WindowLinks.h"

namespace {
WindowLinks g_unconnected;
WindowLinks* g_links = &g_unconnected;
} // namespace

WindowLinks& Links() {
    return *g_links;
}

void connectLinks(WindowLinks* links) {
    g_links = links ? links : &g_unconnected;
}
