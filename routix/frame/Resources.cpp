#include "frame/Resources.h"

#include <iostream>
#include <memory>

namespace routix {

namespace {

std::unique_ptr<messages::StringTable> g_table;

void Load(messages::Language language) {
    std::string error;
    const auto folder = messages::StringsFolderOf(reinterpret_cast<const void*>(&Load));
    auto table = messages::StringTable::Load(folder, "ROUTIX", language, &error);
    if (!table) {
        std::cerr << "ROUTIX: " << error << std::endl;
        table = messages::StringTable();
    }
    g_table = std::make_unique<messages::StringTable>(std::move(*table));
}

}  // namespace

const messages::StringTable& Resources() {
    if (g_table == nullptr)
        Load(messages::LanguageFromLocale());
    return *g_table;
}

void ReloadResources(messages::Language language) {
    Load(language);
}

void ReloadResources() {
    Load(messages::LanguageFromLocale());
}

std::string LoadResourceString(std::uint32_t id) {
    return Resources().Text(id);
}

}  // namespace routix
