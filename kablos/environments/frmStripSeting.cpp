#include "frmStripSeting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "EnvironmentRules.h"
#include "frmEnvAdd.h"

namespace kablos {
namespace {

// The window and its parts, in twips.
constexpr int kWidth = 10500;
constexpr int kHeight = 5400;
constexpr int kMargin = 120;
constexpr int kGridTop = 540;
constexpr int kButtonWidth = 1300;
constexpr int kButtonHeight = 375;
constexpr int kButtonStep = 435;
constexpr int kHeightMargin = 950;

}  // namespace

frmStripSeting::frmStripSeting(Session& session, bool wireGridShown,
                               std::function<void()> settingsStored,
                               std::function<void(int)> endProgram, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_editor(session.ini(), session.messenger()),
      m_settingsStored(std::move(settingsStored)),
      m_endProgram(std::move(endProgram)) {
    setObjectName("frmStripSeting");
    setWindowTitle(QStringLiteral("ストリップの設定"));
    setModal(true);
    const int tpp = TwipsPerPixel(*this);
    auto px = [tpp](int twips) { return twips / tpp; };

    m_EnvNameCombo = new QComboBox(this);
    m_EnvNameCombo->setObjectName("EnvNameCombo");
    m_EnvNameCombo->setGeometry(px(kMargin), px(kMargin), px(3000), px(330));
    m_WTKCheck = new QCheckBox(QStringLiteral("ワタリ線＆特殊線を一覧に表示します。"), this);
    m_WTKCheck->setObjectName("WTKCheck");
    m_WTKCheck->setGeometry(px(3240), px(kMargin), px(5000), px(330));

    m_SpdStrip = new EditGrid(
        m_editor.grid(),
        {QStringLiteral("No"), QStringLiteral("端末種別"), QStringLiteral("電線サイズの開始"),
         QStringLiteral("電線サイズの終了"), QStringLiteral("剥き"), QStringLiteral("先セミ")},
        {3, 10, 17, 17, 10, 10}, this);
    m_SpdStrip->setObjectName("SpdStrip");
    m_SpdStrip->setGeometry(px(kMargin), px(kGridTop), px(kWidth - 1600),
                            px(kHeight - kHeightMargin));

    const int right = kWidth - 1500;
    m_lblCutCnt = new QLabel(QStringLiteral("台数："), this);
    m_lblCutCnt->setObjectName("lblCutCnt");
    m_lblCutCnt->setGeometry(px(right), px(kGridTop), px(480), px(330));
    m_CutCntText = new QLineEdit(this);
    m_CutCntText->setObjectName("CutCntText");
    m_CutCntText->setGeometry(px(kWidth - 1000), px(kGridTop), px(800), px(330));

    QPushButton* envAdd = button("EnvAdd", QStringLiteral("環境追加(&A)"));
    QPushButton* insButton = button("InsButton", QStringLiteral("行追加(&I)"));
    QPushButton* delButton = button("DelButtoun", QStringLiteral("行削除(&D)"));
    QPushButton* upButton = button("UpButtoun", QStringLiteral("↑"));
    QPushButton* downButton = button("DownButtoun", QStringLiteral("↓"));
    m_OkButton = button("OkButton", QStringLiteral("&OK"));
    QPushButton* cancelButton = button("CancelButton", QStringLiteral("キャンセル(&C)"));
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setGeometry(px(right), px(kGridTop + 450 + static_cast<int>(i) * kButtonStep),
                                  px(kButtonWidth), px(kButtonHeight));
    }

    connect(envAdd, &QPushButton::clicked, this, &frmStripSeting::EnvAdd_Click);
    connect(insButton, &QPushButton::clicked, m_SpdStrip, &EditGrid::InsertRow);
    connect(delButton, &QPushButton::clicked, m_SpdStrip, &EditGrid::DeleteRows);
    connect(upButton, &QPushButton::clicked, m_SpdStrip, &EditGrid::MoveUp);
    connect(downButton, &QPushButton::clicked, m_SpdStrip, &EditGrid::MoveDown);
    connect(m_OkButton, &QPushButton::clicked, this, &frmStripSeting::OkButton_Click);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_EnvNameCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        // (The box also turns under the mouse wheel while a cell is being edited.)
        m_SpdStrip->commitEdit();
        m_editor.Choose(index);
        showEditor();
    });
    connect(m_CutCntText, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_editor.cutCntText = text.toStdString(); });
    connect(m_WTKCheck, &QCheckBox::toggled, this,
            [this](bool ticked) { m_editor.wtkChecked = ticked; });

    // OK is the default button until the grid or the environment box first takes the focus;
    // from then on Enter never closes the dialog. Escape is Cancel.
    m_OkButton->setDefault(true);
    m_SpdStrip->installEventFilter(this);
    m_EnvNameCombo->installEventFilter(this);
    if (wireGridShown) {
        m_OkButton->setEnabled(false);
        cancelButton->setFocus();
    } else {
        m_OkButton->setFocus();
    }

    resize(px(kWidth), px(kHeight));
    m_editor.Open();
    showEditor();
}

QPushButton* frmStripSeting::button(const char* name, const QString& caption) {
    auto* pushButton = new QPushButton(caption, this);
    pushButton->setObjectName(name);
    pushButton->setAutoDefault(false);
    m_buttons.push_back(pushButton);
    return pushButton;
}

void frmStripSeting::showEditor() {
    {
        const QSignalBlocker blockCombo(m_EnvNameCombo);
        m_EnvNameCombo->clear();
        for (const std::string& name : m_editor.Names())
            m_EnvNameCombo->addItem(QString::fromStdString(name));
        m_EnvNameCombo->setCurrentIndex(m_editor.shown());
    }
    {
        const QSignalBlocker blockCount(m_CutCntText);
        const QSignalBlocker blockCheck(m_WTKCheck);
        m_CutCntText->setText(QString::fromStdString(m_editor.cutCntText));
        m_WTKCheck->setChecked(m_editor.wtkChecked);
    }
    m_SpdStrip->reload();
    // Without a shown environment there is nothing to edit.
    const bool editable = m_editor.shown() >= 0;
    m_SpdStrip->setEnabled(editable);
    m_CutCntText->setEnabled(editable);
    m_WTKCheck->setEnabled(editable);
    for (const char* name : {"InsButton", "DelButtoun", "UpButtoun", "DownButtoun"})
        findChild<QPushButton*>(name)->setEnabled(editable);
}

void frmStripSeting::EnvAdd_Click() {
    frmEnvAdd dialog(*this);
    dialog.exec();
}

void frmStripSeting::OkButton_Click() {
    m_SpdStrip->commitEdit();
    if (!m_editor.StoreForOk())
        return;
    const int selected = m_editor.shown();
    if (!SaveAndReload(m_session.settings(), m_session.messenger())) {
        reject();
        if (m_endProgram)
            m_endProgram(1);
        return;
    }
    m_session.ini().EnvNo = static_cast<std::int16_t>(selected);
    accept();
    if (m_settingsStored)
        m_settingsStored();
}

bool frmStripSeting::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_SpdStrip || watched == m_EnvNameCombo) && event->type() == QEvent::FocusIn)
        m_OkButton->setDefault(false);
    return QDialog::eventFilter(watched, event);
}

void frmStripSeting::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int tpp = TwipsPerPixel(*this);
    const EditorLayout layout = ResizeLayout(width() * tpp, height() * tpp, kHeightMargin);
    QRect grid = m_SpdStrip->geometry();
    if (layout.gridHeight)
        grid.setHeight(*layout.gridHeight / tpp);
    if (layout.gridWidth)
        grid.setWidth(*layout.gridWidth / tpp);
    m_SpdStrip->setGeometry(grid);
    if (layout.buttonsLeft) {
        for (QWidget* widget : m_buttons)
            widget->move(*layout.buttonsLeft / tpp, widget->y());
        m_lblCutCnt->move(*layout.buttonsLeft / tpp, m_lblCutCnt->y());
        m_CutCntText->move(*layout.countLeft / tpp, m_CutCntText->y());
    }
}

}  // namespace kablos
