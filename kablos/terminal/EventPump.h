#pragma once

// Every wait of KABLOS that lets the program go on meanwhile (the output drain, the fixed pauses
// of a send, the receive wait, the frame poll) goes through one EventPump. The program's pump
// runs Qt's event loop; tests put in a pump that runs a receive or a timer tick at an exact
// round of a send.

#include <chrono>

namespace kablos {

class EventPump {
public:
    virtual ~EventPump() = default;
    /// One round of processing the pending events.
    virtual void ProcessEvents() = 0;
    /// Processes events for `duration`.
    virtual void Wait(std::chrono::milliseconds duration) = 0;
};

/// The pump of the running program: Qt's event loop.
class QtEventPump : public EventPump {
public:
    void ProcessEvents() override;
    void Wait(std::chrono::milliseconds duration) override;
};

}  // namespace kablos
