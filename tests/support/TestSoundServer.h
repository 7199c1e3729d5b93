#pragma once
// The test sound server (scripts/test-services), changed as the desktop's sound settings would.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace TestSoundServer {

// pactl's answer, trimmed; warns when pactl fails.
QString pactl(const QStringList& arguments);

// A silent input plugged in until the end of the scope. Its description is what the desktop shows.
class PluggedInput {
public:
    // extra: more of the module's arguments (its rate, say).
    PluggedInput(const QString& name, const QString& description, const QStringList& extra = {});
    ~PluggedInput();
    PluggedInput(const PluggedInput&) = delete;
    PluggedInput& operator=(const PluggedInput&) = delete;

private:
    QString module_;
};

// A sound server of its own, with one silent input and one output, that a test starts and stops;
// a client finds it at address() (the form PULSE_SERVER takes) once it runs.
class PrivateServer {
public:
    // Without a microphone, the output's monitor is all it has to record.
    enum class Inputs { microphone, none };

    explicit PrivateServer(Inputs inputs = Inputs::microphone);
    // Stops it when it runs.
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    QByteArray address() const;
    // Whether it started, without waiting for its first answer.
    bool start();
    // Whether it answers a client.
    bool answers() const;
    // Ends it at once, as a crash would.
    void stop();
    // Stops it answering, its connections left open, as a frozen server would.
    void freeze();

private:
    const Inputs inputs_;
    QTemporaryDir folder_;
    QProcess process_;
};

}
