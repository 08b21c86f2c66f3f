// kestrel-samples DEMO_DIR: makes the demo location afresh, part by part.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "samples/sample.h"

namespace
{

bool IsPrecious(const std::filesystem::path &dir)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = fs::weakly_canonical(fs::absolute(dir, ec), ec);
    if (ec || target.empty() || target == target.root_path()) {
        return true;
    }
    if (const char *home = std::getenv("HOME")) {
        if (target == fs::weakly_canonical(home, ec)) {
            return true;
        }
    }
    fs::path cwd = fs::current_path(ec);
    for (fs::path p = cwd; !p.empty(); p = p.parent_path()) {
        if (p == target) {
            return true;
        }
        if (p == p.root_path()) {
            break;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrel-samples DEMO_DIR\n");
        return 1;
    }
    namespace fs = std::filesystem;
    const fs::path demo(argv[1]);
    std::error_code ec;
    // The folder is wiped: refuse the places a mistyped argument would
    // cost someone (the root, the home folder, the working folder or one
    // above it).
    if (IsPrecious(demo)) {
        std::fprintf(stderr, "kestrel-samples: refusing to replace %s\n", argv[1]);
        return 1;
    }
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
