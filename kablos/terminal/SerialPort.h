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

/// The port as the machine link uses it: the serial port of the running program, or the
/// recording port of a dry run (DryRun.h), which answers as the machine would.
class MachinePort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Refused while the port is open.
    [[nodiscard]] virtual bool setCommPort(int number) = 0;
    /// The settings string as the port reports it: the parity letter in lower case
    /// ("4800,n,8,1"), whatever case it was given in.
    virtual const std::string& settings() const = 0;
    /// Takes a settings string; refused when malformed or when the open port rejects it.
    [[nodiscard]] virtual bool setSettings(const std::string& settings) = 0;

    virtual bool isOpen() const = 0;
    [[nodiscard]] virtual bool open() = 0;
    [[nodiscard]] virtual bool close() = 0;

    /// Hands `bytes` to the port's output buffer; false when the port refused them.
    [[nodiscard]] virtual bool write(const QByteArray& bytes) = 0;
    /// Bytes waiting in the output buffer.
    virtual qint64 outBufferCount() const = 0;
    /// Everything waiting in the input buffer.
    virtual QByteArray readAll() = 0;
    /// Everything waiting, including what the system holds that the receive event has not
    /// reported yet (the receive signal may fire meanwhile).
    virtual QByteArray readWaiting() = 0;
    virtual qint64 inBufferCount() const = 0;
    /// Discards what waits in the input buffer.
    virtual void discardInput() = 0;

    virtual bool dtr() = 0;
    virtual void setDtr(bool on) = 0;

    /// The last failure in the system's words.
    virtual const std::string& errorText() const = 0;

signals:
    /// At least one byte has arrived.
    void received();
    /// A serial event other than a receive.
    void commEvent(kablos::CommEvent event);
    /// The port closed by itself (the device went away).
    void closedByFailure();
};

class SerialPort : public MachinePort {
    Q_OBJECT
public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    int commPort() const { return m_commPort; }
    [[nodiscard]] bool setCommPort(int number) override;
    /// The device the port number stands for.
    std::string device() const;

    const std::string& settings() const override { return m_settings; }
    [[nodiscard]] bool setSettings(const std::string& settings) override;

    int handshaking() const { return m_handshaking; }
    /// 0 none, 1 Xon/Xoff, 2 RTS/CTS, 3 Xon/RTS (taken as RTS/CTS: a port has one flow control).
    [[nodiscard]] bool setHandshaking(int mode);

    bool isOpen() const override { return m_port.isOpen(); }
    [[nodiscard]] bool open() override;
    [[nodiscard]] bool close() override;

    [[nodiscard]] bool write(const QByteArray& bytes) override;
    qint64 outBufferCount() const override;
    QByteArray readAll() override;
    QByteArray readWaiting() override;
    qint64 inBufferCount() const override;
    void discardInput() override;

    bool dtr() override;
    void setDtr(bool on) override;

    const std::string& errorText() const override { return m_errorText; }

    /// How often the open port reads its line for the serial events (LineEvents).
    static constexpr int kLinePollMs = 50;
    /// True while the open port reads its line: it has modem lines or counters to read.
    bool watchesLine() const { return m_linePoll.isActive(); }

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
