#pragma once
// Where model files come from: the model host over HTTPS, or a folder on this computer. The
// installer asks a source for a package's file list, then for each file in turn.

#include "ModelPackage.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

// One file of a package.
struct ModelFile {
    QString name;  // the file's name inside the package folder
    qint64 size = 0;
    // 64 lower-case hexadecimal digits; absent when the source can't tell before fetching.
    std::optional<QString> sha256;

    bool operator==(const ModelFile&) const = default;
};

// Names come from files and servers we don't control: a name must stay inside the folder it is
// written to, so only one plain path component passes.
bool isPlainFileName(const QString& name);
// Throws copyFailed naming the first file of the list whose name is not plain.
void requirePlainFileNames(const std::vector<ModelFile>& files);

class ModelSource {
public:
    // Called with the bytes just written (an increment), possibly on another thread than the
    // caller's, never twice at once.
    using Progress = std::function<void(qint64)>;
    // Polled on the caller's thread; true asks the fetch to stop.
    using Cancelled = std::function<bool()>;

    virtual ~ModelSource() = default;

    // One line saying where the files come from; kept in the install record.
    virtual QString name() const = 0;
    // The package's files in the order they are to be fetched. Throws ModelInstallError (cancelled
    // when `cancelled` turned true).
    virtual std::vector<ModelFile> files(ModelPackage package, const Cancelled& cancelled) = 0;
    // Makes the destination a complete copy of the file, keeping bytes already there. Returns the
    // SHA-256 of the whole file when the source worked one out while copying. Throws
    // ModelInstallError (cancelled when `cancelled` turned true).
    virtual std::optional<QString> fetch(const ModelFile& file, ModelPackage package, const QString& destination,
                                         qint64 offset, const Progress& progress, const Cancelled& cancelled) = 0;

    // The punctuation model's files in the order they are to be fetched. Throws
    // ModelInstallError (cancelled when `cancelled` turned true); a source that doesn't hold the
    // model reports it missing.
    virtual std::vector<ModelFile> punctuationFiles(const Cancelled& cancelled);
    // Makes the destination a complete copy of the file, resuming from the bytes already there.
    // Throws ModelInstallError (cancelled when `cancelled` turned true).
    virtual void fetchPunctuation(const ModelFile& file, const QString& destination, const Progress& progress,
                                  const Cancelled& cancelled);
};
