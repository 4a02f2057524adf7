// Corvane: watches this machine's network traffic from the notification area.
#include "App.h"
#include "Form1.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

// A termination request (log-off, shutdown, kill) ends the program the way its
// close box does, so the icon does not linger in the notification area.
void EndOnTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        int cancel = 0;
        Form1::Instance().Form_Unload(cancel);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    // Windows must open at their own places and stay on top; under Wayland no
    // client may do either, so prefer the X server where there is one.
    if (std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Twice a second a few small labels change; handing such small areas to
    // the X server through shared memory costs more than it saves.
    ::setenv("QT_XCB_NO_MITSHM", "1", 0);

    QApplication app(argc, argv);
    // Also the title a StatusNotifier panel shows for the icon.
    QApplication::setApplicationName(App::ProductName);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/corvane.png")));
    EndOnTerminationSignals();
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [](QSessionManager&) {
        int cancel = 0;
        Form1::Instance().Form_Unload(cancel);
    });

    Form1::Instance().show();
    return app.exec();
}
