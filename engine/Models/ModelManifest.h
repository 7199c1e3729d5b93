#pragma once
// The model host's list of model files, "manifest.json": for every model family and package the
// files with their sizes, SHA-256 digests and download paths, and the punctuation model's files.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

struct ModelManifest {
    struct File {
        QString name;
        qint64 size = 0;
        QString sha256;
        QString blob;  // the download path, relative to the base address
    };
    struct Package {
        std::vector<File> files;  // in the manifest's order
    };
    struct Family {
        QMap<QString, Package> packages;  // by package raw value
    };

    qint64 schema = 0;
    QMap<QString, Family> families;  // by family raw value
    std::optional<Package> punctuation;

    // Nothing when the bytes are not JSON or a required key is missing or of the wrong type.
    // A file entry without "sha256" makes the whole manifest unreadable. Keys we don't know are
    // ignored. The schema number is not judged here.
    static std::optional<ModelManifest> decoded(const QByteArray& json);
};
