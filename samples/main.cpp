// kestrel-samples DEMO_DIR: makes the demo location afresh, part by part.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "samples/sample.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrel-samples DEMO_DIR\n");
        return 1;
    }
    namespace fs = std::filesystem;
    const fs::path demo(argv[1]);
    std::error_code ec;
    fs::remove_all(demo, ec);
    if (ec) {
        std::fprintf(stderr, "kestrel-samples: cannot remove %s: %s\n", argv[1],
                     ec.message().c_str());
        return 1;
    }
    fs::create_directories(demo, ec);
    if (ec) {
        std::fprintf(stderr, "kestrel-samples: cannot create %s: %s\n", argv[1],
                     ec.message().c_str());
        return 1;
    }
    auto parts = kestrel::samples::Samples();
    std::stable_sort(parts.begin(), parts.end(),
                     [](const auto &a, const auto &b) { return a.order < b.order; });
    int status = 0;
    for (const auto &part : parts) {
        if (!part.make(demo.string())) {
            std::fprintf(stderr, "kestrel-samples: part \"%s\" failed\n", part.name);
            status = 1;
        }
    }
    return status;
}
