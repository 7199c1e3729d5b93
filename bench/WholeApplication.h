#pragma once
// The whole application as the user runs it, for the benchmarks of what it costs while nobody
// dictates: started on the test desktop (scripts/bench starts it) with every file it touches in a
// private folder, the tiny speech and punctuation models loaded, nothing to install and no server.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>

class WholeApplication {
public:
    WholeApplication();
    ~WholeApplication();

    WholeApplication(const WholeApplication&) = delete;
    WholeApplication& operator=(const WholeApplication&) = delete;

    // Starts it with `arguments` and returns once its models are loaded and start-up's own work
    // has settled; false (having said why) when it doesn't get there.
    bool start(const QStringList& arguments);
    // Its processor seconds (user and system) over `span` of wall time, measured from now; -1 when
    // it ended meanwhile.
    double cpuPerSecond(std::chrono::seconds span);
    void stop();

private:
    double cpuSeconds() const;
    bool logSays(const QByteArray& line) const;

    QTemporaryDir folder_;
    QProcess process_;
};

// The owner of the screen's tray selection, so the application finds a tray and puts its item there.
class BenchTray {
public:
    // False when there is no X display to own it on.
    bool claim();
    ~BenchTray();

private:
    struct _XDisplay* display_ = nullptr;
};
