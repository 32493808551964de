#pragma once

// The serial port of KABLOS, over Qt SerialPort, with the properties the program works with:
// a port number (mapped to a device by the per-user store, section "Ports"), a settings string
// "9600,N,8,1", a handshake mode 0 to 3, the open state, the output and input buffers and DTR.
// Failures are kept as a text in the system's words (errorText()).

#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kablos {

/// Serial line events, numbered as the program reports them.
enum class CommEvent {
    SendEmpty = 1,
    CtsChange = 3,
    DsrChange = 4,
    CdChange = 5,
    Ring = 6,
    Eof = 7,
    Break = 1001,
    CtsTimeout = 1002,
    DsrTimeout = 1003,
    FrameError = 1004,
    Overrun = 1006,
    CdTimeout = 1007,
    RxOver = 1008,
    RxParity = 1009,
    TxFull = 1010,
    Dcb = 1011,
    Unknown = 9999,
};

/// The text of a serial event; empty for the events that show nothing (send empty, DSR change).
std::string CommEventText(CommEvent event);
/// True for the error events (1001 and up).
inline bool IsCommError(CommEvent event) {
    return static_cast<int>(event) >= 1001;
}

/// What the port can tell about its line at one moment. The modem lines come from the pin-out
/// signals, where the device has them; the counters from the driver's event counters, where
/// the driver keeps them (on-board UARTs and several USB adapters; pseudo-terminals have
/// neither).
struct LineState {
    bool modemLines = false;  ///< the four lines below were read
    bool cts = false, dsr = false, cd = false, ring = false;
    bool counters = false;  ///< the counts below were read
    int ctsCount = 0, dsrCount = 0, ringCount = 0, cdCount = 0;
    int frameCount = 0, overrunCount = 0, parityCount = 0, breakCount = 0, rxOverCount = 0;
};

/// The serial events between two readings of the line, in event-number order, each kind at most
/// once: line changes from the counters when both readings have them (they also catch changes
/// shorter than the poll), else from the modem lines (a ring when the ring line comes on);
/// break, framing, overrun, receive-buffer overflow and parity errors from the counters only.
std::vector<CommEvent> LineEvents(const LineState& before, const LineState& after);

/// The parts of a settings string "9600,N,8,1"; nothing when it is malformed.
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
std::optional<LineSettings> ParseLineSettings(const std::string& settings);

class SerialPort : public QObject {
    Q_OBJECT
public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    int commPort() const { return m_commPort; }
    /// Refused while the port is open.
    [[nodiscard]] bool setCommPort(int number);
    /// The device the port number stands for.
    std::string device() const;

    /// The settings string as the port reports it: the parity letter in lower case
    /// ("4800,n,8,1"), whatever case it was given in.
    const std::string& settings() const { return m_settings; }
    /// Takes a settings string; refused when malformed or when the open port rejects it.
    [[nodiscard]] bool setSettings(const std::string& settings);

    int handshaking() const { return m_handshaking; }
    /// 0 none, 1 Xon/Xoff, 2 RTS/CTS, 3 Xon/RTS (taken as RTS/CTS: a port has one flow control).
    [[nodiscard]] bool setHandshaking(int mode);

    bool isOpen() const { return m_port.isOpen(); }
    [[nodiscard]] bool open();
    [[nodiscard]] bool close();

    /// Hands `bytes` to the port's output buffer; false when the port refused them.
    [[nodiscard]] bool write(const QByteArray& bytes);
    /// Bytes waiting in the output buffer.
    qint64 outBufferCount() const;
    /// Everything waiting in the input buffer.
    QByteArray readAll();
    /// Everything waiting, including what the system holds that the receive event has not
    /// reported yet (the receive signal may fire meanwhile).
    QByteArray readWaiting();
    qint64 inBufferCount() const;
    /// Discards what waits in the input buffer.
    void discardInput();

    bool dtr();
    void setDtr(bool on);

    /// The last failure in the system's words.
    const std::string& errorText() const { return m_errorText; }

    /// How often the open port reads its line for the serial events (LineEvents).
    static constexpr int kLinePollMs = 50;
    /// True while the open port reads its line: it has modem lines or counters to read.
    bool watchesLine() const { return m_linePoll.isActive(); }

signals:
    /// At least one byte has arrived.
    void received();
    /// A serial event other than a receive.
    void commEvent(kablos::CommEvent event);
    /// The port closed by itself (the device went away).
    void closedByFailure();

private:
    void fail(const std::string& text);
    void handleError(QSerialPort::SerialPortError error);
    void pollLine();

    QSerialPort m_port;
    QTimer m_linePoll;
    LineState m_line;
    int m_commPort = 1;
    std::string m_settings = "4800,n,8,1";
    int m_handshaking = 0;
    std::string m_errorText;
};

}  // namespace kablos
