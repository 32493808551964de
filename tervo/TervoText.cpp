#include "TervoText.h"

#include <optional>

namespace tervo {

namespace {

constexpr std::size_t kMessageChars = 1024;

std::string g_errorText;
bool g_isReason = false;  ///< the error text is the reason of a failure, not a warning

const messages::StringTable& Table() {
    static const messages::StringTable table = [] {
        std::string error;
        auto loaded = messages::StringTable::Load(messages::StringsFolderOf(&g_errorText), "TERVO",
                                                  messages::Language::Japanese, &error);
        if (!loaded) {
            SetErrorText(error);
            return messages::StringTable{};
        }
        return *loaded;
    }();
    return table;
}

}  // namespace

const std::string& TervoString(unsigned id) {
    static const std::string kNone;
    const std::string* text = Table().Find(id);
    return text != nullptr ? *text : kNone;
}

std::string TervoMessage(unsigned id, std::initializer_list<messages::Arg> args) {
    const std::string& text = TervoString(id);
    // The texts written for the message formatter number their inserts; the others are
    // format strings.
    std::string formatted = text.find("%1") != std::string::npos
                                ? messages::FormatMessageText(text, args)
                                : messages::FormatPrintf(text, args);
    return std::string(messages::TruncateChars(formatted, kMessageChars));
}

void ClearErrorText() {
    g_errorText.clear();
    g_isReason = false;
}

void SetErrorText(std::string_view text) {
    if (!g_isReason) {
        g_errorText = messages::TruncateChars(text, kMessageChars);
        g_isReason = !g_errorText.empty();
    }
}

void SetWarningText(std::string_view text) {
    if (g_errorText.empty()) {
        g_errorText = messages::TruncateChars(text, kMessageChars);
    }
}

const std::string& ErrorText() {
    return g_errorText;
}

}  // namespace tervo
