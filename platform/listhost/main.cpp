// listhost: the wiring-plan list framework on a terminal. Loads the list-module libraries,
// calls their init export, and lists the registered modules or runs one module's Execute or
// ShowOutput on a project. See README.md.
//
//   listhost --list
//   listhost [--yes] [--panels P1,P2|all] PROJECT-FOLDER MODULE [execute|show]
//
// Exit status: the module's result (0 success, 1 failure reported, 2 cancelled, 3 not ready or
// failed); 3 also when the command line, a library or the project is wrong.

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "ListFramework.h"
#include "common/files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFailed = 3;

int Usage(const char* why) {
    std::cerr << "listhost: " << why << "\n"
              << "usage: listhost --list\n"
                 "       listhost [--yes] [--panels P1,P2|all] PROJECT-FOLDER MODULE "
                 "[execute|show]\n";
    return kFailed;
}

/// The list-module libraries: $ZELKO_LIST_MODULES (separated by ":"), else TERVO10.so beside
/// this program, else the one of the build tree.
std::vector<fs::path> ModuleLibraries() {
    std::vector<fs::path> libraries;
    if (const char* named = std::getenv("ZELKO_LIST_MODULES"); named != nullptr && *named != 0) {
        std::string_view rest = named;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            if (colon != 0) {
                libraries.emplace_back(rest.substr(0, colon));
            }
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
        return libraries;
    }
    const fs::path beside = common::ExecutableFolder() / "TERVO10.so";
    std::error_code ec;
    libraries.push_back(fs::exists(beside, ec) ? beside : fs::path(LISTHOST_BUILT_MODULE));
    return libraries;
}

struct Library {
    void* handle = nullptr;
    void (*unload)() = nullptr;
    const char* (*errorText)() = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    listhost::Answers answers;
    bool list = false;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--yes") {
            answers.yes = true;
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--panels") {
            if (++i == argc) {
                return Usage("--panels needs P1,P2 or all");
            }
            answers.panels = argv[i];
        } else if (arg.starts_with("--")) {
            return Usage(("unknown option " + arg).c_str());
        } else {
            words.push_back(arg);
        }
    }
    if (list ? !words.empty() : words.size() < 2 || words.size() > 3) {
        return Usage("wrong number of arguments");
    }
    const std::string action = words.size() == 3 ? words[2] : "execute";
    if (!list && action != "execute" && action != "show") {
        return Usage(("unknown operation " + action).c_str());
    }

    listhost::Framework framework(answers, std::cin, std::cout);
    std::vector<Library> libraries;
    int status = kFailed;
    for (const auto& file : ModuleLibraries()) {
        Library library;
        library.handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library.handle == nullptr) {
            std::cerr << "listhost: cannot load " << file << ": " << dlerror() << '\n';
            continue;
        }
        auto init = reinterpret_cast<void (*)()>(dlsym(library.handle, "ZelkoWpInitApplication"));
        library.unload =
            reinterpret_cast<void (*)()>(dlsym(library.handle, "ZelkoWpUnloadApplication"));
        library.errorText =
            reinterpret_cast<const char* (*)()>(dlsym(library.handle, "TervoErrorText"));
        if (init == nullptr) {
            std::cerr << "listhost: " << file << " has no ZelkoWpInitApplication\n";
            dlclose(library.handle);
            continue;
        }
        init();
        libraries.push_back(library);
    }

    if (list) {
        for (auto* module : framework.Modules()) {
            std::cout << module->GetName() << '\t' << module->GetDisplayName() << '\t'
                      << module->GetKind() << '\n';
            for (const char* line : {module->GetDescription(), module->GetDescription2()}) {
                std::string text = line;
                std::erase(text, '\r');
                std::string_view rest = text;
                while (!rest.empty()) {
                    const auto end = rest.find('\n');
                    std::cout << "    " << rest.substr(0, end) << '\n';
                    rest =
                        end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
                }
            }
        }
        status = framework.Modules().empty() ? kFailed : 0;
    } else if (auto* module = framework.Find(words[1]); module == nullptr) {
        std::cerr << "listhost: no list module \"" << words[1] << "\" (see listhost --list)\n";
    } else if (std::string error; !framework.OpenProject(words[0], error)) {
        std::cerr << "listhost: " << error << '\n';
    } else if (module->OpenProject(framework.Project()) != 0) {
        std::cerr << "listhost: " << module->GetName() << " cannot work on " << words[0] << '\n';
    } else {
        status = action == "show" ? module->ShowOutput(framework.Context())
                                  : module->Execute(framework.Context());
        // The module's error text: why the run failed, or a warning of a run that succeeded.
        for (const auto& library : libraries) {
            if (library.errorText != nullptr && *library.errorText() != '\0') {
                std::cerr << "listhost: " << library.errorText() << '\n';
            }
        }
    }

    for (auto& library : libraries) {
        if (library.unload != nullptr) {
            library.unload();
        }
        dlclose(library.handle);
    }
    return status;
}
