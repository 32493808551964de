#include "frmEnvAdd.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "frmStripSeting.h"

namespace kablos {

frmEnvAdd::frmEnvAdd(frmStripSeting& strip) : QDialog(&strip), m_strip(strip) {
    setObjectName("frmEnvAdd");
    setWindowTitle(QStringLiteral("環境の追加・変更"));
    setModal(true);

    m_EnvList = new QListWidget(this);
    m_EnvList->setObjectName("EnvList");
    m_EnvList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_NewEnvText = new QLineEdit(this);
    m_NewEnvText->setObjectName("NewEnvText");

    auto button = [this](const char* name, const QString& caption) {
        auto* pushButton = new QPushButton(caption, this);
        pushButton->setObjectName(name);
        pushButton->setAutoDefault(false);
        return pushButton;
    };
    QPushButton* addButton = button("AddButton", QStringLiteral("追加(&A)"));
    QPushButton* chgButton = button("ChgButton", QStringLiteral("変更(&C)"));
    QPushButton* delButton = button("DelButton", QStringLiteral("削除(&D)"));
    QPushButton* endButton = button("Endbutton", QStringLiteral("終了(&X)"));
    // Enter adds; Escape closes like Endbutton.
    addButton->setDefault(true);
    connect(addButton, &QPushButton::clicked, this, &frmEnvAdd::AddButton_Click);
    connect(chgButton, &QPushButton::clicked, this, &frmEnvAdd::ChgButton_Click);
    connect(delButton, &QPushButton::clicked, this, &frmEnvAdd::DelButton_Click);
    connect(endButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* pushButton : {addButton, chgButton, delButton})
        buttons->addWidget(pushButton);
    buttons->addStretch();
    buttons->addWidget(endButton);
    auto* left = new QVBoxLayout;
    left->addWidget(m_EnvList, 1);
    left->addWidget(m_NewEnvText);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    fillList();
    m_NewEnvText->setFocus();
}

void frmEnvAdd::fillList() {
    m_EnvList->clear();
    for (const std::string& name : m_strip.editor().Names())
        m_EnvList->addItem(QString::fromStdString(name));
}

int frmEnvAdd::selectedEntry() const {
    const QModelIndexList rows = m_EnvList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void frmEnvAdd::AddButton_Click() {
    const std::string name = m_NewEnvText->text().toStdString();
    if (!m_strip.editor().Add(name, selectedEntry()))
        return;
    m_EnvList->addItem(QString::fromStdString(m_strip.editor().Names().back()));
    m_strip.showEditor();
}

void frmEnvAdd::ChgButton_Click() {
    const int entry = selectedEntry();
    if (!m_strip.editor().Rename(m_NewEnvText->text().toStdString(), entry))
        return;
    m_EnvList->item(entry)->setText(
        QString::fromStdString(m_strip.editor().Names()[static_cast<std::size_t>(entry)]));
    m_strip.showEditor();
}

void frmEnvAdd::DelButton_Click() {
    m_strip.grid().commitEdit();
    m_strip.editor().Delete(selectedEntry());
    fillList();
    m_strip.showEditor();
}

}  // namespace kablos
