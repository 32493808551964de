#include "DrawingAccess.h"

#include <fnmatch.h>

#include <memory>
#include <unordered_map>

#include "Store.h"
#include "common/text.h"

namespace zelko::detail {

namespace {

/// A text handed out, counted as a live handle while it is held.
struct OwnedText : Handle {
    std::string text;
};

std::unordered_map<const char*, std::unique_ptr<OwnedText>>& Texts() {
    static std::unordered_map<const char*, std::unique_ptr<OwnedText>> texts;
    return texts;
}

/// One alternative of a wildcard list in fnmatch(3) form.
std::string ToFnmatch(std::string_view pattern) {
    std::string out;
    bool inBracket = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '`' && i + 1 < pattern.size()) {
            out += '\\';
            out += pattern[++i];
        } else if (inBracket) {
            if (c == ']') {
                inBracket = false;
            }
            if (c == '\\') {
                out += '\\';
            }
            out += c;
        } else if (c == '[') {
            inBracket = true;
            out += '[';
            if (i + 1 < pattern.size() && pattern[i + 1] == '~') {
                out += '!';
                ++i;
            }
        } else if (c == '#') {
            out += "[0-9]";
        } else if (c == '@') {
            out += "[[:alpha:]]";
        } else if (c == '.') {
            out += "[![:alnum:]]";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

char* NewText(std::string_view text) {
    auto owned = std::make_unique<OwnedText>();
    owned->text.assign(text);
    char* data = owned->text.data();
    Texts().emplace(data, std::move(owned));
    return data;
}

void FreeText(char*& text) {
    if (text != nullptr) {
        Texts().erase(text);
    }
    text = nullptr;
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
    const std::string subject(text);
    std::size_t start = 0;
    bool inBracket = false;
    for (std::size_t i = 0; i <= pattern.size(); ++i) {
        if (i < pattern.size()) {
            const char c = pattern[i];
            if (c == '`') {
                ++i;
                continue;
            }
            if (c == '[') {
                inBracket = true;
            } else if (c == ']') {
                inBracket = false;
            }
            if (c != ',' || inBracket) {
                continue;
            }
        }
        std::string_view alternative = pattern.substr(start, i - start);
        start = i + 1;
        bool negate = false;
        if (alternative.starts_with('~')) {
            negate = true;
            alternative.remove_prefix(1);
        }
        const bool match =
            ::fnmatch(ToFnmatch(alternative).c_str(), subject.c_str(), FNM_CASEFOLD) == 0;
        if (match != negate) {
            return true;
        }
    }
    return false;
}

bool AttributeText(const AcDbBlockReference* reference, std::string_view tag, std::string& text) {
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    for (; !it->done(); it->step()) {
        Opened<AcDbAttribute> attribute(it->objectId(), AcDb::kForRead);
        if (attribute && common::EqualsNoCase(attribute->tagName(), tag)) {
            text = attribute->text();
            return true;
        }
    }
    return false;
}

}  // namespace zelko::detail
