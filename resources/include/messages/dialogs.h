#pragma once

// Dialog templates by identifier: the title and the controls of every dialog of a module in
// one language, read from "<module>.dialogs.<language>.txt" beside the string tables
// (resources/README.md, "Dialog templates"). A dialog class builds its controls from its
// template, so adding a dialog is adding its template text.
//
// Like the string tables this depends on nothing but the standard library; the control kinds
// are the names the control toolkit shows ("static", "button", "check", "radio", "edit",
// "combo", "list", "grid"), which it maps to its own kinds.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "messages/messages.h"

namespace messages {

/// One control of a template.
struct ControlTemplate {
    std::string kind;     // "static", "button", "check", "radio", "edit", "combo", "list", "grid"
    int id = 0;           // a static written without an id gets -1, -2, ... in template order
    std::string text;     // caption (escapes as in the string tables)
    bool visible = true;  // option "hidden"
    bool enabled = true;  // option "disabled"
    int group = 0;        // option "group=N" (radio buttons of one group)
    int width = 0;        // option "size=WxH": the control's size in pixels at 96 dots per
    int height = 0;       // inch (grids: their client area)
};

struct DialogTemplate {
    int id = 0;
    std::string title;
    std::vector<ControlTemplate> controls;  // in template (tab) order
};

/// The templates of one module in one language.
class DialogTable {
public:
    /// Reads "<folder>/<module>.dialogs.<language tag>.txt". Nothing, with `error` naming the
    /// file, the line and what was found, when it cannot be read or is malformed.
    static std::optional<DialogTable> Load(const std::filesystem::path& folder,
                                           std::string_view module, Language language,
                                           std::string* error = nullptr);
    static std::optional<DialogTable> Parse(std::string_view text, std::string_view source,
                                            std::string* error = nullptr);

    /// The template of dialog `id`, or null.
    const DialogTemplate* Find(int id) const;
    const std::map<int, DialogTemplate>& Entries() const { return m_dialogs; }

private:
    std::map<int, DialogTemplate> m_dialogs;
};

/// The control kinds a template may name.
bool IsControlKind(std::string_view kind);

}  // namespace messages
