#pragma once

// What the symbol and attribute services share: objects of a drawing opened for the length of
// one call and new texts counted until they are released.

#include <string>
#include <string_view>

#include "arx/acdb.h"

namespace zelko::detail {

/// An object of the drawing opened for one call and closed when this goes out of scope.
template <class T>
class Opened {
public:
    Opened(AcDbObjectId id, AcDb::OpenMode mode) : m_status(acdbOpenObject(m_object, id, mode)) {}
    ~Opened() {
        if (m_object != nullptr) {
            m_object->close();
        }
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    Acad::ErrorStatus status() const { return m_status; }

private:
    T* m_object = nullptr;
    Acad::ErrorStatus m_status;
};

/// A new text for a caller, counted as a live handle until FreeText.
char* NewText(std::string_view text);
/// Releases a text of NewText and sets it to null; a text not made there is left alone.
void FreeText(char*& text);

/// The text of the first attribute of `reference` whose tag is `tag` (without regard to case);
/// false when there is none.
bool AttributeText(const AcDbBlockReference* reference, std::string_view tag, std::string& text);

}  // namespace zelko::detail
