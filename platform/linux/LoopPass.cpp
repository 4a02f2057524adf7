#include "LoopPass.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>

namespace looppass {

std::uint64_t Current()
{
    // The look-ups run on the main thread; any other thread reads afresh.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread() || QThread::currentThread()->loopLevel() == 0)
        return 0;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return 0;
    static std::uint64_t pass = 1;
    static QObject watch;
    static QPointer<QAbstractEventDispatcher> watched;
    if (watched != dispatcher) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &watch, [] { ++pass; });
        watched = dispatcher;
        ++pass;
    }
    return pass;
}

} // namespace looppass
