#pragma once
// While it lives, SIGTERM, SIGINT and SIGHUP (the session ending, Control-C in a terminal, `kill`)
// quit the application through its event loop, as its Quit item does: windows close, settings
// and files are saved, and Qt hands the clipboard's contents to the desktop's clipboard manager.
// A handler may only do signal-safe work, so it writes the signal's number to a socket pair that
// the event loop watches. A second signal, while the quit is under way, ends the process at once.

#include <QObject>

#include <memory>

class QSocketNotifier;

class QuitOnSignals : public QObject {
    Q_OBJECT

public:
    // One at a time: the handlers write to this one's socket.
    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;

private:
    void receive();

    int sockets_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};
