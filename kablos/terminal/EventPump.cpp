#include "EventPump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace kablos {

void QtEventPump::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::Wait(std::chrono::milliseconds duration) {
    QDeadlineTimer deadline(duration);
    do {
        QCoreApplication::processEvents(
            QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
            static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)));
    } while (!deadline.hasExpired());
}

}  // namespace kablos
