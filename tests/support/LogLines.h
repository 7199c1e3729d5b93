#pragma once
// The log lines written since the object was made, without their time stamps.

#include <QString>
#include <QStringList>

class LogLines {
public:
    LogLines();

    QStringList lines() const;
    // Whether some line contains the text.
    bool mentions(const QString& text) const;

private:
    qint64 start_;
};
