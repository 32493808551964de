// sample-project: writes the sample project and a maker installation for it.
//
//   sample-project OUTPUT [--panels N]
//
// OUTPUT/SAMPLE is the project, OUTPUT/zelko the installation (point ZELKO_HOME at it).

#include <charconv>
#include <cstdio>
#include <string_view>

#include "SampleProject.h"

int main(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]).starts_with("-")) {
        std::fprintf(stderr, "usage: sample-project OUTPUT [--panels N]\n");
        return 2;
    }
    sampleproject::Options options;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--panels" && i + 1 < argc) {
            std::string_view value = argv[++i];
            auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), options.panels);
            if (ec != std::errc() || end != value.data() + value.size() || options.panels < 1) {
                std::fprintf(stderr, "sample-project: --panels wants a positive number\n");
                return 2;
            }
        } else {
            std::fprintf(stderr, "sample-project: unknown argument '%s'\n", argv[i]);
            return 2;
        }
    }
    const std::filesystem::path out = argv[1];
    std::string error;
    if (!sampleproject::WriteInstallation(out / "zelko", error) ||
        !sampleproject::WriteProject(out / "SAMPLE", options, error)) {
        std::fprintf(stderr, "sample-project: %s\n", error.c_str());
        return 1;
    }
    std::printf("sample-project: wrote %s and %s\n", (out / "SAMPLE").c_str(),
                (out / "zelko").c_str());
    return 0;
}
