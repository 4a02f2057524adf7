// A window's periodic job. A tick that comes while the previous run of the
// same handler has not returned (it waits in a message box, or yields to the
// message loop) is skipped, so a failure repeated every tick cannot pile up
// nested runs.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class Timer : public QObject {
public:
    // Starts at once: a timer runs from the creation of its window.
    Timer(QObject* parent, const char* name, int interval, std::function<void()> handler);

    int Interval() const { return timer_.interval(); }
    bool Enabled() const { return timer_.isActive(); }
    // Runs the handler as a tick does.
    void Tick();
    // Starts counting the interval afresh from now.
    void Restart() { timer_.start(); }

private:
    QTimer timer_;
    std::function<void()> handler_;
    bool running_ = false;
};
