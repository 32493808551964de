#pragma once

// The one modeless window the frame can keep: hidden while a command runs, shown again when
// the last one ends.

namespace routix {

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWDEFAULT = 10;

class CModelessWindow {
public:
    virtual ~CModelessWindow() = default;
    virtual void ShowWindow(int command) = 0;
};

}  // namespace routix
