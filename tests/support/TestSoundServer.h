#pragma once
// The test sound server (scripts/test-services), changed as the desktop's sound settings would.

#include <QString>
#include <QStringList>

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

}
