#include "EventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace kablos {

void QtEventPump::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::Wait(std::chrono::milliseconds duration) {
    // A nested event loop sleeps until an event or the deadline comes, instead of polling. The
    // program's end (QCoreApplication::exit) ends it early too.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(duration);
    loop.exec();
}

}  // namespace kablos
