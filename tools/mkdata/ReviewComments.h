#pragma once

#include "Random.h"

#include <optional>
#include <string>

// The editor's one-line verdict under a review, in the tone of its rating.
std::string reviewComment(SplitMix64& rng, std::optional<int> rating, bool software);
