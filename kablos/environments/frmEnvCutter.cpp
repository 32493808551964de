#include "frmEnvCutter.h"

#include <QPushButton>

#include "EnvironmentRules.h"

namespace kablos {
namespace {

// The window and its parts, in twips.
constexpr int kWidth = 11000;
constexpr int kHeight = 4800;
constexpr int kMargin = 120;
constexpr int kButtonWidth = 1300;
constexpr int kButtonHeight = 375;
constexpr int kButtonStep = 435;
constexpr int kHeightMargin = 600;

}  // namespace

frmEnvCutter::frmEnvCutter(Session& session, std::function<void(int)> endProgram, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_endProgram(std::move(endProgram)),
      m_table(CutterGrid(session.ini())) {
    setObjectName("frmEnvCutter");
    setWindowTitle(QStringLiteral("カッターの設定"));
    setModal(true);
    const int tpp = TwipsPerPixel(*this);
    auto px = [tpp](int twips) { return twips / tpp; };

    m_SpdCutter = new EditGrid(
        m_table,
        {QStringLiteral("No"), QStringLiteral("電線種類"), QStringLiteral("電線サイズ"),
         QStringLiteral("ローラー速度"), QStringLiteral("カッター速度"), QStringLiteral("線径"),
         QStringLiteral("Yバック")},
        {3, 10, 12, 14, 14, 10, 10}, this);
    m_SpdCutter->setObjectName("SpdCutter");
    m_SpdCutter->setGeometry(px(kMargin), px(kMargin), px(kWidth - 1600),
                             px(kHeight - kHeightMargin));

    const std::pair<const char*, QString> captions[] = {
        {"InsButton", QStringLiteral("行追加(&I)")},
        {"DelButtoun", QStringLiteral("行削除(&D)")},
        {"UpButtoun", QStringLiteral("↑")},
        {"DownButtoun", QStringLiteral("↓")},
        {"OkButton", QStringLiteral("&OK")},
        {"CancelButton", QStringLiteral("キャンセル(&C)")},
    };
    for (const auto& [name, caption] : captions) {
        auto* pushButton = new QPushButton(caption, this);
        pushButton->setObjectName(name);
        // No default button: Enter never closes this dialog. Escape is Cancel.
        pushButton->setAutoDefault(false);
        // OK and Cancel stand apart from the row buttons.
        const int index = static_cast<int>(m_buttons.size());
        const int top = kMargin + index * kButtonStep + (index >= 4 ? 450 : 0);
        pushButton->setGeometry(px(kWidth - 1500), px(top), px(kButtonWidth), px(kButtonHeight));
        m_buttons.push_back(pushButton);
    }
    connect(m_buttons[0], &QPushButton::clicked, m_SpdCutter, &EditGrid::InsertRow);
    connect(m_buttons[1], &QPushButton::clicked, m_SpdCutter, &EditGrid::DeleteRows);
    // The arrows act as soon as a mouse button goes down on them.
    connect(m_buttons[2], &QPushButton::pressed, m_SpdCutter, &EditGrid::MoveUp);
    connect(m_buttons[3], &QPushButton::pressed, m_SpdCutter, &EditGrid::MoveDown);
    connect(m_buttons[4], &QPushButton::clicked, this, &frmEnvCutter::OkButton_Click);
    connect(m_buttons[5], &QPushButton::clicked, this, &QDialog::reject);

    resize(px(kWidth), px(kHeight));
}

void frmEnvCutter::OkButton_Click() {
    m_SpdCutter->commitEdit();
    StoreCutterGrid(m_table, m_session.ini());
    if (!SaveAndReload(m_session.settings(), m_session.messenger())) {
        reject();
        if (m_endProgram)
            m_endProgram(1);
        return;
    }
    accept();
}

void frmEnvCutter::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int tpp = TwipsPerPixel(*this);
    const EditorLayout layout = ResizeLayout(width() * tpp, height() * tpp, kHeightMargin);
    QRect grid = m_SpdCutter->geometry();
    if (layout.gridHeight)
        grid.setHeight(*layout.gridHeight / tpp);
    if (layout.gridWidth)
        grid.setWidth(*layout.gridWidth / tpp);
    m_SpdCutter->setGeometry(grid);
    if (layout.buttonsLeft) {
        for (QPushButton* pushButton : m_buttons)
            pushButton->move(*layout.buttonsLeft / tpp, pushButton->y());
    }
}

}  // namespace kablos
