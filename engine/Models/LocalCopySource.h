#pragma once
// Copies a package from a folder on this computer: <root>/<package raw value>/<file name>.
// Used for development exports and the folder "QUILLMARSH_MODEL_SOURCE" names.

#include "ModelSource.h"

#include <optional>

class LocalCopySource : public ModelSource {
public:
    // The root is, first match wins: `rootDir`; "QUILLMARSH_MODEL_SOURCE" when set and not
    // empty (tilde expanded); the development export folder of the current model family.
    explicit LocalCopySource(std::optional<QString> rootDir = std::nullopt);

    const QString& rootDir() const { return rootDir_; }

    QString name() const override;
    // The required files with their sizes on disk and no digest; sourceMissing names the full
    // path of the first one that can't be read.
    std::vector<ModelFile> files(ModelPackage package, const Cancelled& cancelled) override;
    // Copies in chunks of 8 MiB, keeping the destination's first `offset` bytes (they are taken
    // to equal the source's), and returns the SHA-256 of the whole source file.
    std::optional<QString> fetch(const ModelFile& file, ModelPackage package, const QString& destination, qint64 offset,
                                 const Progress& progress, const Cancelled& cancelled) override;

private:
    QString rootDir_;
};
