#include "frame/Resources.h"

#include <iostream>
#include <memory>

#include "host/aced.h"
#include "ui/Dialog.h"

namespace routix {

namespace {

std::unique_ptr<messages::StringTable> g_table;
std::unique_ptr<messages::DialogTable> g_dialogs;

void Load(messages::Language language) {
    std::string error;
    const auto folder = messages::StringsFolderOf(reinterpret_cast<const void*>(&Load));
    auto table = messages::StringTable::Load(folder, "ROUTIX", language, &error);
    if (!table) {
        std::cerr << "ROUTIX: " << error << std::endl;
        table = messages::StringTable();
    }
    g_table = std::make_unique<messages::StringTable>(std::move(*table));
    auto dialogs = messages::DialogTable::Load(folder, "ROUTIX", language, &error);
    if (!dialogs) {
        std::cerr << "ROUTIX: " << error << std::endl;
        dialogs = messages::DialogTable();
    }
    g_dialogs = std::make_unique<messages::DialogTable>(std::move(*dialogs));
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

const messages::DialogTable& DialogTemplates() {
    if (g_dialogs == nullptr)
        Load(messages::LanguageFromLocale());
    return *g_dialogs;
}

bool LoadDialogTemplate(ui::Dialog& dialog) {
    const messages::DialogTemplate* found = DialogTemplates().Find(dialog.TemplateId());
    if (found == nullptr) {
        acutPrintf("\nROUTIX: the dialog %d has no template.", dialog.TemplateId());
        return false;
    }
    dialog.SetWindowText(found->title);
    for (const messages::ControlTemplate& item : found->controls) {
        const auto kind = ui::ControlKindFromName(item.kind);
        ui::Control& control =
            dialog.AddControl(item.id, kind.value_or(ui::ControlKind::Static), item.text);
        control.visible = item.visible;
        control.enabled = item.enabled;
        control.group = item.group;
        control.width = item.width;
        control.height = item.height;
    }
    return true;
}

}  // namespace routix
