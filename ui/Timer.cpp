#include "Timer.h"

#include <QScopedValueRollback>

Timer::Timer(QObject* parent, const char* name, int interval, std::function<void()> handler)
    : QObject(parent), handler_(std::move(handler))
{
    setObjectName(QLatin1String(name));
    // The coarse default timer drifts by up to 5% and would let the sampler's
    // ticks bunch up or spread.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start();
}

void Timer::Tick()
{
    if (running_)
        return;
    const QScopedValueRollback<bool> running(running_, true);
    handler_();
}
