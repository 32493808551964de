#include "SerialPort.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <QMetaType>
#include <cctype>

#include "UserStore.h"
#include "common/text.h"

namespace kablos {

std::string CommEventText(CommEvent event) {
    switch (event) {
        case CommEvent::SendEmpty:
        case CommEvent::DsrChange:
            return {};
        case CommEvent::CtsChange:
            return "CTS ラインの状態が変化しました。";
        case CommEvent::CdChange:
            return "CD ラインの状態が変化しました。";
        case CommEvent::Ring:
            return "呼び出し信号を検出しました。";
        case CommEvent::Eof:
            return "EOF を受信しました。";
        case CommEvent::Break:
            return "ブレーク信号を検出しました。";
        case CommEvent::CdTimeout:
            return "CD タイムアウトを検出しました。";
        case CommEvent::CtsTimeout:
            return "CTS タイムアウトを検出しました。";
        case CommEvent::Dcb:
            return "DCB 取得時にエラーが発生しました。";
        case CommEvent::DsrTimeout:
            return "DSR タイムアウトを検出しました。";
        case CommEvent::FrameError:
            return "通信エラーが発生しました。";
        case CommEvent::Overrun:
            return "オーバーランエラーが発生しました。";
        case CommEvent::RxOver:
            return "受信バッファがオーバーフローしました。";
        case CommEvent::RxParity:
            return "パリティエラーが発生しました。";
        case CommEvent::TxFull:
            return "送信バッファフルエラーが発生しました。";
        case CommEvent::Unknown:
            break;
    }
    return "未定義のエラーまたはイベントが発生しました。";
}

std::vector<CommEvent> LineEvents(const LineState& before, const LineState& after) {
    std::vector<CommEvent> events;
    const bool counted = before.counters && after.counters;
    const bool lines = before.modemLines && after.modemLines;
    auto changed = [&](int LineState::*count, bool LineState::*line) {
        if (counted)
            return after.*count != before.*count;
        return lines && after.*line != before.*line;
    };
    if (changed(&LineState::ctsCount, &LineState::cts))
        events.push_back(CommEvent::CtsChange);
    if (changed(&LineState::dsrCount, &LineState::dsr))
        events.push_back(CommEvent::DsrChange);
    if (changed(&LineState::cdCount, &LineState::cd))
        events.push_back(CommEvent::CdChange);
    if (counted ? after.ringCount != before.ringCount : lines && after.ring && !before.ring)
        events.push_back(CommEvent::Ring);
    if (counted) {
        const std::pair<int LineState::*, CommEvent> errors[] = {
            {&LineState::breakCount, CommEvent::Break},
            {&LineState::frameCount, CommEvent::FrameError},
            {&LineState::overrunCount, CommEvent::Overrun},
            {&LineState::rxOverCount, CommEvent::RxOver},
            {&LineState::parityCount, CommEvent::RxParity},
        };
        for (const auto& [count, event] : errors) {
            if (after.*count != before.*count)
                events.push_back(event);
        }
    }
    return events;
}

namespace {

// Reads the line of an open terminal device: the pin-out signals and the driver's counters,
// each where the device has them. Read directly rather than through QSerialPort, which reports
// a device without modem lines as an error at every poll.
LineState ReadLineState(int fd) {
    LineState state;
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) == 0) {
        state.modemLines = true;
        state.cts = (bits & TIOCM_CTS) != 0;
        state.dsr = (bits & TIOCM_DSR) != 0;
        state.cd = (bits & TIOCM_CD) != 0;
        state.ring = (bits & TIOCM_RI) != 0;
    }
    serial_icounter_struct counts{};
    if (ioctl(fd, TIOCGICOUNT, &counts) == 0) {
        state.counters = true;
        state.ctsCount = counts.cts;
        state.dsrCount = counts.dsr;
        state.ringCount = counts.rng;
        state.cdCount = counts.dcd;
        state.frameCount = counts.frame;
        state.overrunCount = counts.overrun;
        state.parityCount = counts.parity;
        state.breakCount = counts.brk;
        state.rxOverCount = counts.buf_overrun;
    }
    return state;
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(const std::string& settings) {
    std::vector<std::string_view> parts = common::Split(settings, ',');
    if (parts.size() != 4)
        return std::nullopt;
    LineSettings line;
    bool ok = false;
    line.baudRate = QString::fromUtf8(common::Trim(parts[0])).toInt(&ok);
    if (!ok || line.baudRate <= 0)
        return std::nullopt;

    std::string_view parity = common::Trim(parts[1]);
    if (parity.size() != 1)
        return std::nullopt;
    switch (parity[0]) {
        case 'N':
        case 'n':
            line.parity = QSerialPort::NoParity;
            break;
        case 'E':
        case 'e':
            line.parity = QSerialPort::EvenParity;
            break;
        case 'O':
        case 'o':
            line.parity = QSerialPort::OddParity;
            break;
        case 'M':
        case 'm':
            line.parity = QSerialPort::MarkParity;
            break;
        case 'S':
        case 's':
            line.parity = QSerialPort::SpaceParity;
            break;
        default:
            return std::nullopt;
    }

    std::string_view data = common::Trim(parts[2]);
    if (data == "5")
        line.dataBits = QSerialPort::Data5;
    else if (data == "6")
        line.dataBits = QSerialPort::Data6;
    else if (data == "7")
        line.dataBits = QSerialPort::Data7;
    else if (data == "8")
        line.dataBits = QSerialPort::Data8;
    else
        return std::nullopt;

    std::string_view stop = common::Trim(parts[3]);
    if (stop == "1")
        line.stopBits = QSerialPort::OneStop;
    else if (stop == "1.5")
        line.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == "2")
        line.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return line;
}

SerialPort::SerialPort(QObject* parent) : MachinePort(parent) {
    qRegisterMetaType<kablos::CommEvent>();
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::received);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPort::handleError);
    m_linePoll.setInterval(kLinePollMs);
    connect(&m_linePoll, &QTimer::timeout, this, &SerialPort::pollLine);
}

void SerialPort::pollLine() {
    if (!isOpen()) {
        m_linePoll.stop();
        return;
    }
    const LineState now = ReadLineState(static_cast<int>(m_port.handle()));
    const LineState before = m_line;
    m_line = now;
    for (CommEvent event : LineEvents(before, now)) {
        emit commEvent(event);
        if (!isOpen())  // a handler hung up
            return;
    }
}

SerialPort::~SerialPort() = default;

void SerialPort::fail(const std::string& text) {
    m_errorText = text;
}

std::string SerialPort::device() const {
    return UserStore::PortDevice(m_commPort);
}

bool SerialPort::setCommPort(int number) {
    if (isOpen()) {
        fail("ポートは既に開いています。");
        return false;
    }
    if (number < 1 || number > 255) {
        fail("ポート番号が正しくありません。(" + std::to_string(number) + ")");
        return false;
    }
    m_commPort = number;
    return true;
}

bool SerialPort::setSettings(const std::string& settings) {
    std::optional<LineSettings> line = ParseLineSettings(settings);
    if (!line) {
        fail("通信設定が正しくありません。(" + settings + ")");
        return false;
    }
    if (isOpen() && !(m_port.setBaudRate(line->baudRate) && m_port.setParity(line->parity) &&
                      m_port.setDataBits(line->dataBits) && m_port.setStopBits(line->stopBits))) {
        fail("通信設定を変更できません。(" + settings + ") <" + m_port.errorString().toStdString() +
             ">");
        return false;
    }
    // The port reports its settings with the parity letter in lower case ("9600,n,8,1"),
    // whichever case it was given in; the port settings dialog reads the letter that way.
    std::vector<std::string_view> parts = common::Split(settings, ',');
    m_settings.clear();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string part(parts[i]);
        if (i == 1) {
            for (char& c : part)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        m_settings += (i == 0 ? "" : ",") + part;
    }
    return true;
}

bool SerialPort::setHandshaking(int mode) {
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    switch (mode) {
        case 0:
            flow = QSerialPort::NoFlowControl;
            break;
        case 1:
            flow = QSerialPort::SoftwareControl;
            break;
        case 2:
        case 3:
            flow = QSerialPort::HardwareControl;
            break;
        default:
            fail("フロー制御の設定が正しくありません。(" + std::to_string(mode) + ")");
            return false;
    }
    if (isOpen() && !m_port.setFlowControl(flow)) {
        fail("フロー制御を変更できません。<" + m_port.errorString().toStdString() + ">");
        return false;
    }
    m_handshaking = mode;
    return true;
}

bool SerialPort::open() {
    if (isOpen())
        return true;
    std::optional<LineSettings> line = ParseLineSettings(m_settings);
    if (!line) {
        fail("通信設定が正しくありません。(" + m_settings + ")");
        return false;
    }
    const std::string path = device();
    m_port.setPortName(QString::fromStdString(path));
    m_port.setBaudRate(line->baudRate);
    m_port.setParity(line->parity);
    m_port.setDataBits(line->dataBits);
    m_port.setStopBits(line->stopBits);
    m_port.setFlowControl(m_handshaking == 1   ? QSerialPort::SoftwareControl
                          : m_handshaking >= 2 ? QSerialPort::HardwareControl
                                               : QSerialPort::NoFlowControl);
    if (m_port.open(QIODevice::ReadWrite)) {
        // The serial events other than a receive: read the line from now on, when the device
        // has anything to read.
        m_line = ReadLineState(static_cast<int>(m_port.handle()));
        if (m_line.modemLines || m_line.counters)
            m_linePoll.start();
        return true;
    }

    const std::string port = "COM" + std::to_string(m_commPort) + " (" + path + ")";
    switch (m_port.error()) {
        case QSerialPort::DeviceNotFoundError:
            fail(port + " が見つかりません。");
            break;
        case QSerialPort::PermissionError:
            fail(port + " は他のプログラムが使用中か、使用が許可されていません。");
            break;
        default:
            fail(port + " を開けません。<" + m_port.errorString().toStdString() + ">");
            break;
    }
    m_port.clearError();
    return false;
}

bool SerialPort::close() {
    m_linePoll.stop();
    if (isOpen())
        m_port.close();
    return true;
}

bool SerialPort::write(const QByteArray& bytes) {
    if (!isOpen()) {
        fail("ポートが開かれていません");
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        fail(m_port.errorString().toStdString());
        return false;
    }
    // Hand the bytes to the device at once, as a serial control does, instead of at the next
    // round of the event loop; what the device cannot take yet stays queued. Only a device that
    // takes bytes now is flushed: Qt reports a full device as a write error.
    pollfd device{static_cast<int>(m_port.handle()), POLLOUT, 0};
    if (poll(&device, 1, 0) == 1 && (device.revents & POLLOUT) != 0)
        m_port.flush();
    return true;
}

qint64 SerialPort::outBufferCount() const {
    if (!isOpen())
        return 0;
    // Ours and the driver's: bytes the line has not sent yet.
    int queued = 0;
    if (ioctl(static_cast<int>(m_port.handle()), TIOCOUTQ, &queued) != 0)
        queued = 0;
    return m_port.bytesToWrite() + queued;
}
qint64 SerialPort::inBufferCount() const {
    return isOpen() ? m_port.bytesAvailable() : 0;
}

QByteArray SerialPort::readAll() {
    return isOpen() ? m_port.readAll() : QByteArray();
}

QByteArray SerialPort::readWaiting() {
    if (!isOpen())
        return {};
    while (m_port.waitForReadyRead(0)) {
    }
    return m_port.readAll();
}

void SerialPort::discardInput() {
    if (!isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

bool SerialPort::dtr() {
    return isOpen() && m_port.isDataTerminalReady();
}

void SerialPort::setDtr(bool on) {
    if (isOpen())
        m_port.setDataTerminalReady(on);
}

void SerialPort::handleError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::DeviceNotFoundError:  // reported by open()
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError:
        case QSerialPort::NotOpenError:
            return;
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            // The device went away (an adapter pulled out, the other end of a terminal closed):
            // a port in that state only fails again, so close it and say so.
            fail(m_port.errorString().toStdString());
            m_port.clearError();
            m_linePoll.stop();
            m_port.close();
            emit closedByFailure();
            emit commEvent(CommEvent::FrameError);
            return;
        case QSerialPort::TimeoutError:
        // A device without modem lines (a pseudo-terminal, some adapters) refuses the DTR
        // pulse of the hang-up: nothing is wrong with the line.
        case QSerialPort::UnsupportedOperationError:
            m_port.clearError();
            return;
        default:
            fail(m_port.errorString().toStdString());
            m_port.clearError();
            emit commEvent(CommEvent::Unknown);
            return;
    }
}

}  // namespace kablos
