#include "frmPropSeting.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "UserStore.h"

namespace kablos {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QComboBox* Combo(QWidget* parent, const char* name, const std::vector<std::string>& items,
                 bool editable) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(editable);
    for (const std::string& item : items)
        box->addItem(Q(item));
    return box;
}

// A frame of option buttons numbered from 0, named like "optFlow_2".
QButtonGroup* Options(QWidget* parent, QGroupBox* frame, const char* name,
                      const QStringList& captions) {
    auto* group = new QButtonGroup(parent);
    group->setObjectName(name);
    auto* layout = new QVBoxLayout(frame);
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new QRadioButton(captions[i], frame);
        button->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        group->addButton(button, i);
        layout->addWidget(button);
    }
    return group;
}

}  // namespace

frmPropSeting::frmPropSeting(Session& session, SerialPort& port,
                             std::function<void(bool)> showPortState, QWidget* parent)
    : QDialog(parent), m_session(session), m_port(port), m_showPortState(std::move(showPortState)) {
    setObjectName("frmPropSeting");
    setWindowTitle(QStringLiteral("通信ポートのプロパティ"));
    setModal(true);

    auto* tabSettings = new QTabWidget(this);
    tabSettings->setObjectName("tabSettings");
    auto* fraSettings = new QWidget(tabSettings);
    fraSettings->setObjectName("fraSettings");
    tabSettings->addTab(fraSettings, QStringLiteral("プロパティ"));

    // Port number and the device it stands for on this computer.
    std::vector<std::string> portItems;
    for (int i = 1; i <= kPortCount; ++i)
        portItems.push_back("Com" + std::to_string(i));
    m_cboPort = Combo(fraSettings, "cboPort", portItems, false);
    m_txtDevice = new QLineEdit(fraSettings);
    m_txtDevice->setObjectName("txtDevice");
    m_txtDevice->setToolTip(QStringLiteral("このポート番号で開くデバイス (例: /dev/ttyUSB0)"));
    connect(m_cboPort, &QComboBox::currentIndexChanged, this, &frmPropSeting::showDevice);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_cboPort);
    portRow->addWidget(m_txtDevice, 1);

    auto* fraSpeed = new QGroupBox(QStringLiteral("通信速度"), fraSettings);
    m_cboSpeed = Combo(fraSpeed, "cboSpeed", SpeedList(), true);
    (new QVBoxLayout(fraSpeed))->addWidget(m_cboSpeed);

    m_cboDataBits = Combo(fraSettings, "cboDataBits", DataBitsList(), true);
    m_cboParity = Combo(fraSettings, "cboParity", ParityList(), false);
    m_cboStopBits = Combo(fraSettings, "cboStopBits", StopBitsList(), true);

    auto* fraConnection = new QGroupBox(QStringLiteral("接続設定"), fraSettings);
    fraConnection->setObjectName("fraConnection");
    auto* form = new QFormLayout(fraConnection);
    form->addRow(QStringLiteral("ポート:"), portRow);
    form->addRow(fraSpeed);
    form->addRow(QStringLiteral("データビット:"), m_cboDataBits);
    form->addRow(QStringLiteral("パリティ:"), m_cboParity);
    form->addRow(QStringLiteral("ストップビット:"), m_cboStopBits);

    auto* fraType = new QGroupBox(QStringLiteral("通信方式"), fraSettings);
    m_optType =
        Options(this, fraType, "optType",
                {QStringLiteral("Ascii ( C371 など )"), QStringLiteral("Binary ( C371A など )")});
    auto* fraEcho = new QGroupBox(QStringLiteral("エコー(&E)"), fraSettings);
    m_optEcho = Options(this, fraEcho, "optEcho", {QStringLiteral("Off"), QStringLiteral("On")});
    auto* fraFlow = new QGroupBox(QStringLiteral("フロー制御(&F)"), fraSettings);
    m_optFlow = Options(this, fraFlow, "optFlow",
                        {QStringLiteral("なし"), QStringLiteral("Xon/Xoff"), QStringLiteral("RTS"),
                         QStringLiteral("Xon/RTS")});

    auto* right = new QVBoxLayout;
    right->addWidget(fraType);
    right->addWidget(fraEcho);
    right->addWidget(fraFlow);
    auto* columns = new QHBoxLayout(fraSettings);
    columns->addWidget(fraConnection, 1);
    columns->addLayout(right);

    m_cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOK->setObjectName("cmdOK");
    m_cmdOK->setDefault(true);
    m_cmdOK->installEventFilter(this);
    auto* cmdCancel = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    cmdCancel->setObjectName("cmdCancel");
    connect(m_cmdOK, &QPushButton::clicked, this, &frmPropSeting::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabSettings);
    layout->addLayout(buttons);

    show(LoadPropertySettings(m_port.settings(), m_port.commPort(), m_port.handshaking(),
                              m_session.echo(), m_session.protocol()));
}

void frmPropSeting::show(const PortSelections& s) {
    m_cboSpeed->setCurrentText(Q(s.speed));
    m_cboParity->setCurrentIndex(s.parity);
    m_cboDataBits->setCurrentText(Q(s.dataBits));
    m_cboStopBits->setCurrentText(Q(s.stopBits));
    m_cboPort->setCurrentIndex(s.port);
    m_txtDevice->setText(Q(s.device));
    m_optFlow->button(s.flow)->setChecked(true);
    m_optEcho->button(s.echo ? 1 : 0)->setChecked(true);
    m_optType->button(s.binary ? 1 : 0)->setChecked(true);
}

void frmPropSeting::showDevice(int portIndex) {
    m_txtDevice->setText(portIndex >= 0 ? Q(UserStore::PortDevice(portIndex + 1)) : QString());
}

PortSelections frmPropSeting::selections() const {
    PortSelections s;
    s.speed = m_cboSpeed->currentText().toStdString();
    s.parity = m_cboParity->currentIndex();
    s.dataBits = m_cboDataBits->currentText().toStdString();
    s.stopBits = m_cboStopBits->currentText().toStdString();
    s.port = m_cboPort->currentIndex();
    s.flow = std::max(0, m_optFlow->checkedId());
    s.echo = m_optEcho->checkedId() == 1;
    s.binary = m_optType->checkedId() == 1;
    s.device = m_txtDevice->text().trimmed().toStdString();
    return s;
}

void frmPropSeting::cmdOK_Click() {
    if (ApplyPortProperties(selections(), m_session, m_port, m_showPortState))
        accept();
}

bool frmPropSeting::eventFilter(QObject* watched, QEvent* event) {
    // Once OK loses the focus, Enter no longer closes the dialog.
    if (watched == m_cmdOK && event->type() == QEvent::FocusOut)
        m_cmdOK->setDefault(false);
    return QDialog::eventFilter(watched, event);
}

}  // namespace kablos
