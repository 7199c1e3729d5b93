#pragma once
// The record ".installed.json" that the installer writes into a package folder once every file
// has been verified. "installedAt" counts seconds since 1 January 2001 UTC, not since 1970.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

struct InstallRecord {
    struct File {
        QString name;
        int64_t size = 0;
        QString sha256;  // 64 lower-case hexadecimal digits

        bool operator==(const File&) const = default;
    };

    QString package;  // the package's raw value
    QString source;  // the name of the model source that supplied the files
    QDateTime installedAt;
    QList<File> files;  // in the order they were installed

    bool operator==(const InstallRecord&) const = default;

    QByteArray encoded() const;
    // Nothing when the bytes are not JSON, a key is missing or a value has the wrong type.
    // Keys we don't know are ignored.
    static std::optional<InstallRecord> decoded(const QByteArray& json);
};
