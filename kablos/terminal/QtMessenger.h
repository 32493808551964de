#pragma once

#include "Messenger.h"

class QWidget;

namespace kablos {

/// Message boxes as Qt message boxes, modal over `parent`.
class QtMessenger : public Messenger {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    MsgAnswer MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                     std::string_view caption) override;

private:
    QWidget* m_parent = nullptr;
};

}  // namespace kablos
