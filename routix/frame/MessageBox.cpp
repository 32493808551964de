#include "frame/MessageBox.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "frame/Resources.h"

namespace routix {

std::string FormatResource(unsigned id, std::initializer_list<messages::Arg> args,
                           std::size_t maxChars) {
    const std::string text = messages::FormatMessageText(LoadResourceString(id), args);
    return std::string(messages::TruncateChars(text, maxChars));
}

bool CMessageBox::LoadMsg(unsigned id, ACHAR* buffer, std::size_t size,
                          std::initializer_list<messages::Arg> args) const {
    if (buffer == nullptr || size == 0)
        return true;
    std::string text = FormatResource(id, args);
    if (text.size() >= size) {
        std::size_t cut = size - 1;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

bool CMessageBox::LoadMsg(unsigned id, std::string& text,
                          std::initializer_list<messages::Arg> args) const {
    text.clear();
    text = FormatResource(id, args);
    return true;
}

int CMessageBox::MsgBox(unsigned id, const ACHAR* caption, unsigned style,
                        std::initializer_list<messages::Arg> args) const {
    const std::string text = FormatResource(id, args, 2 * kMessageBufferSize - 1);
    return MessageBox(acedGetAcadFrame(), text.c_str(), caption, style);
}

void CMessageBox::ErrorBox(const ACHAR* format, ...) const {
    char text[4 * kMessageBufferSize] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    AfxMessageBox(text, MB_OK);
}

}  // namespace routix
