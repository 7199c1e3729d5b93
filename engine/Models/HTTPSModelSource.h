#pragma once
// Downloads model files from the model host: reads its "manifest.json" once, then fetches each
// file in up to `attempts` tries with growing pauses, resuming a partial file with a Range
// request and writing the bytes to disk as they arrive.

#include "Core/NetworkThread.h"
#include "ModelFamily.h"
#include "ModelManifest.h"
#include "ModelSource.h"
#include "RetryPause.h"

#include <QHash>
#include <QUrl>

#include <mutex>
#include <optional>

class HTTPSModelSource : public ModelSource {
public:
    HTTPSModelSource(QUrl base, ModelFamily family, int attempts = 6, RetryPause pause = pauseUnlessCancelled);

    // "download (<host>)".
    QString name() const override;
    // The required files, then "LICENSE" and "NOTICE" when listed, with the manifest's sizes and
    // digests. Must come before fetch, which looks up the download paths recorded here.
    std::vector<ModelFile> files(ModelPackage package) override;
    // Resumes from the destination's current size (the offset is not consulted) and returns no
    // digest: the installer hashes the file itself.
    std::optional<QString> fetch(const ModelFile& file, ModelPackage package, const QString& destination, qint64 offset,
                                 const Progress& progress, const Cancelled& cancelled) override;

    // The punctuation model's files, in the manifest's order.
    std::vector<ModelFile> punctuationFiles() override;
    void fetchPunctuation(const ModelFile& file, const QString& destination, const Progress& progress,
                          const Cancelled& cancelled) override;

private:
    ModelManifest loadManifest();
    void recordBlobs(const QString& keyPrefix, const std::vector<ModelManifest::File>& files);
    void download(const QString& key, const ModelFile& file, const QString& destination, const Progress& progress,
                  const Cancelled& cancelled);

    QUrl base_;
    ModelFamily family_;
    int attempts_;
    RetryPause pause_;
    NetworkThread network_;

    std::mutex mutex_;  // guards manifest_ and blobs_
    std::optional<ModelManifest> manifest_;
    QHash<QString, QString> blobs_;  // download key ("320ms/encoder.onnx") to blob path
};
