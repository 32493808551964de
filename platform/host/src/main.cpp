// cadhost: stands in for the CAD host and the maker's command framework. See README.md.

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "common/files.h"
#include "common/text.h"
#include "host/Script.h"
#include "maker/commands.h"
#include "services/maker.h"
#include "services/project.h"

namespace {

constexpr const char* kUsage =
    "usage: cadhost [--plugin FILE | --release 23|24] [--project FOLDER] [--script FILE]\n"
    "               [DRAWING.dxf...]\n"
    "Loads the plug-in, opens the project and the drawings (the last one is current) and runs\n"
    "the script, or reads commands from the terminal. See platform/host/README.md.\n";

std::filesystem::path FindRelease(const std::string& release) {
    const std::string name = "ROUTIX" + release + ".so";
    std::vector<std::filesystem::path> folders;
    if (const char* list = std::getenv("CADHOST_PLUGIN_PATH")) {
        for (std::string_view folder : common::Split(list, ':'))
            if (!folder.empty())
                folders.emplace_back(folder);
    }
    const std::filesystem::path here = common::ExecutableFolder();
    folders.push_back(here);
    folders.push_back(here / ".." / ".." / "routix");  // the build tree
    folders.push_back(here / ".." / "lib");
    for (const auto& folder : folders) {
        std::error_code error;
        if (std::filesystem::exists(folder / name, error))
            return folder / name;
    }
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path plugin;
    std::filesystem::path script;
    std::filesystem::path project;
    std::vector<std::string> drawings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--plugin" || arg == "--release" || arg == "--script" || arg == "--project") &&
            i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--project")
                project = value;
            else if (arg == "--plugin")
                plugin = value;
            else if (arg == "--script")
                script = value;
            else if (value == "23" || value == "24")
                plugin = FindRelease(value);
            else {
                std::cerr << "cadhost: the release is 23 or 24, not \"" << value << "\"\n";
                return 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg.starts_with("--")) {
            std::cerr << "cadhost: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else {
            drawings.push_back(arg);
        }
    }

    host::SetProjectOpener([](const std::filesystem::path& folder, std::string& error) {
        if (zelko::ProjOpen(folder.string()))
            return true;
        error = zelko::MakerLastError();
        return false;
    });
    if (!project.empty() && !zelko::ProjOpen(project.string())) {
        std::cerr << "cadhost: cannot open the project " << project.string() << ": "
                  << zelko::MakerLastError() << "\n";
        return 2;
    }
    host::Host& host = host::Host::Instance();
    host.SetTrace(&std::cerr);
    zelko::RegisterMakerCommands();
    host::Plugin loaded;
    int status = 0;
    for (const std::string& drawing : drawings) {
        std::string error;
        if (host.OpenDocument(drawing, &error) != Acad::eOk) {
            std::cerr << "cadhost: cannot open " << drawing << ": " << error << "\n";
            status = 1;
        }
    }
    if (!plugin.empty()) {
        std::string error;
        if (!loaded.Load(plugin, &error)) {
            std::cerr << "cadhost: cannot load the plug-in " << plugin.string() << ": " << error
                      << "\n";
            return 2;
        }
    }
    if (!script.empty()) {
        std::vector<std::string> lines;
        if (!host::ReadScript(script, lines)) {
            std::cerr << "cadhost: cannot read the script " << script.string() << "\n";
            return 2;
        }
        std::error_code ignored;
        host::ScriptRunner runner(std::move(lines), script.string(),
                                  std::filesystem::absolute(script, ignored).parent_path(), loaded);
        status = std::max(status, runner.Run());
    } else {
        host::ScriptRunner runner(std::cin, loaded);
        status = std::max(status, runner.Run());
    }
    loaded.Unload();
    host.CloseAllDocuments();
    zelko::ProjClose();
    std::cout << "\n";
    return status;
}
