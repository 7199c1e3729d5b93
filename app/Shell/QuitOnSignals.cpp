#include "QuitOnSignals.h"

#include "Core/Log.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr std::array quitSignals{SIGTERM, SIGINT, SIGHUP};
volatile sig_atomic_t writeEnd = -1;

void onSignal(int signal)
{
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = write(writeEnd, &number, 1);
    errno = savedErrno;
}

void setHandler(int signal, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}
}

QuitOnSignals::QuitOnSignals(QObject* parent) : QObject(parent)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sockets_) != 0) {
        Log::info(QStringLiteral("quit on signals: no socket pair: ") + QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    writeEnd = sockets_[0];
    notifier_ = std::make_unique<QSocketNotifier>(sockets_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitOnSignals::receive);
    // The handler goes back to the default after one signal: a second one ends the process.
    for (const int signal : quitSignals)
        setHandler(signal, onSignal, SA_RESTART | SA_RESETHAND);
}

QuitOnSignals::~QuitOnSignals()
{
    for (const int signal : quitSignals)
        setHandler(signal, SIG_DFL, 0);
    writeEnd = -1;
    notifier_.reset();
    for (const int socket : sockets_) {
        if (socket >= 0)
            close(socket);
    }
}

void QuitOnSignals::receive()
{
    unsigned char number = 0;
    while (read(sockets_[1], &number, 1) == 1)
        Log::info(QStringLiteral("quitting on SIG") + QString::fromLatin1(sigabbrev_np(number)));
    QCoreApplication::quit();
}
