// vantora-mkdata --out DIR [--seed N] [--games N] [--disc N] [--tips N]
#include "ArchiveGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {
int usage() {
    std::fprintf(stderr,
                 "usage: vantora-mkdata --out DIR [--seed N] [--games N] [--disc N] [--tips N]\n");
    return 64;
}

bool number(const char* text, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end && *end == '\0' && out >= 0;
}
} // namespace

int main(int argc, char** argv) {
    ArchiveOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc)
            return usage();
        long v = 0;
        if (a == "--out")
            o.outDir = argv[++i];
        else if (a == "--seed" && number(argv[i + 1], v))
            o.seed = uint64_t(v), ++i;
        else if (a == "--games" && number(argv[i + 1], v))
            o.games = v, ++i;
        else if (a == "--disc" && number(argv[i + 1], v))
            o.disc = v, ++i;
        else if (a == "--tips" && number(argv[i + 1], v))
            o.tips = v, ++i;
        else
            return usage();
    }
    if (o.outDir.empty())
        return usage();
    std::error_code ec;
    std::filesystem::create_directories(o.outDir, ec);
    const std::string error = generateArchive(o);
    if (!error.empty()) {
        std::fprintf(stderr, "vantora-mkdata: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
