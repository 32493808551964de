#include "services/attributes.h"

#include <memory>
#include <string>

#include "DrawingAccess.h"
#include "Store.h"
#include "common/text.h"

namespace zelko {

namespace {

using detail::Opened;

int Get(const AcDbBlockReference* reference, std::string_view tag, char*& value, bool trim) {
    value = nullptr;
    std::string text;
    if (reference == nullptr || !detail::AttributeText(reference, tag, text)) {
        detail::SetLastError("A23ZOATT: no attribute '" + std::string(tag) + "'");
        return 0;
    }
    value = detail::NewText(trim ? common::Trim(text) : std::string_view(text));
    return 1;
}

int Get(AcDbObjectId reference, std::string_view tag, char*& value, bool trim) {
    Opened<AcDbBlockReference> object(reference, AcDb::kForRead);
    return Get(object.get(), tag, value, trim);
}

}  // namespace

char NameSeparator() {
    return ':';
}

int AttrGetText(AcDbObjectId reference, std::string_view tag, char*& value) {
    return Get(reference, tag, value, false);
}

int AttrGetValue(AcDbObjectId reference, std::string_view tag, char*& value) {
    return Get(reference, tag, value, true);
}

int AttrGetText(const AcDbBlockReference* reference, std::string_view tag, char*& value) {
    return Get(reference, tag, value, false);
}

int AttrGetValue(const AcDbBlockReference* reference, std::string_view tag, char*& value) {
    return Get(reference, tag, value, true);
}

int AttrGetPin(AcDbObjectId reference, int n, char*& value) {
    return Get(reference, "PIN" + std::to_string(n), value, true);
}

int AttrOwnText(AcDbObjectId attribute, char*& value) {
    value = nullptr;
    Opened<AcDbAttribute> object(attribute, AcDb::kForRead);
    if (!object) {
        detail::SetLastError(std::string("A23ZOATT: the attribute cannot be opened (") +
                             acadErrorStatusText(object.status()) + ")");
        return 0;
    }
    value = detail::NewText(object->text());
    return 1;
}

int AttrGetJoined(AcDbObjectId reference, std::string_view tag, char*& value) {
    value = nullptr;
    Opened<AcDbBlockReference> object(reference, AcDb::kForRead);
    if (!object) {
        return 0;
    }
    std::string joined;
    bool found = false;
    std::string part;
    if (detail::AttributeText(object.get(), tag, part)) {
        joined = part;
        found = true;
    }
    for (int n = 2; detail::AttributeText(object.get(), std::string(tag) + std::to_string(n), part);
         ++n) {
        if (found) {
            joined += NameSeparator();
        }
        joined += part;
        found = true;
    }
    if (!found) {
        detail::SetLastError("A23ZOATT: no attribute '" + std::string(tag) + "'");
        return 0;
    }
    value = detail::NewText(joined);
    return 1;
}

void AttrFreeValue(char*& value) {
    detail::FreeText(value);
}

int AttrSetText(AcDbObjectId reference, std::string_view tag, std::string_view text) {
    Opened<AcDbBlockReference> object(reference, AcDb::kForRead);
    if (!object) {
        detail::SetLastError(std::string("A23ZOATT: the reference cannot be opened (") +
                             acadErrorStatusText(object.status()) + ")");
        return 0;
    }
    return AttrSetText(object.get(), tag, text);
}

int AttrSetText(const AcDbBlockReference* reference, std::string_view tag, std::string_view text) {
    if (reference == nullptr)
        return 0;
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    for (; !it->done(); it->step()) {
        Opened<AcDbAttribute> attribute(it->objectId(), AcDb::kForRead);
        if (!attribute || !common::EqualsNoCase(attribute->tagName(), tag)) {
            continue;
        }
        const std::string copy(text);
        if (Acad::ErrorStatus es = attribute->upgradeOpen();
            es != Acad::eOk || (es = attribute->setTextString(copy.c_str())) != Acad::eOk) {
            detail::SetLastError("A23ZOATT: the attribute '" + std::string(tag) +
                                 "' cannot be changed (" + acadErrorStatusText(es) + ")");
            return 0;
        }
        return 1;
    }
    detail::SetLastError("A23ZOATT: no attribute '" + std::string(tag) + "' to set");
    return 0;
}

int AttrSetValue(AcDbObjectId reference, std::string_view tag, std::string_view value) {
    return AttrSetText(reference, tag, common::Trim(value));
}

}  // namespace zelko
