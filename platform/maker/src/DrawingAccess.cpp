#include "DrawingAccess.h"

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
