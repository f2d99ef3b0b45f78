#pragma once

#include <cstdint>
#include <string>

// Writes the three table files of a sample archive into a folder.
struct ArchiveOptions {
    std::string outDir;
    uint64_t seed = 1;
    long games = -1; // -1: about 60 reviews per issue
    long disc = -1;  // -1: about 150 disc items per issue
    long tips = -1;  // -1: about 80 tips per issue
};

// Returns an empty text on success, else what went wrong.
std::string generateArchive(const ArchiveOptions& options);
