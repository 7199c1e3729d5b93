#pragma once
// Downloads model files from the model host: reads its "manifest.json" once, then fetches each
// file in up to `attempts` tries with growing pauses, resuming a partial file with a Range
// request and writing the bytes to disk as they arrive.

#include "Core/BoundedReply.h"
#include "Core/NetworkThread.h"
#include "ModelFamily.h"
#include "ModelManifest.h"
#include "ModelSource.h"
#include "RetryPause.h"

#include <QHash>
#include <QUrl>

#include <chrono>
#include <mutex>
#include <optional>

class HTTPSModelSource : public ModelSource {
public:
    // The manifest lists a few dozen files.
    static constexpr ReplyBounds manifestBounds{1024 * 1024, std::chrono::seconds(30), std::chrono::seconds(60)};
    // A file is read up to its listed size. Its transfer gives up when less than `steadyBytes`
    // arrive within `idle`, and is allowed `overall` plus `overallPerMebibyte` for each MiB it
    // still needs: a slow line finishes, a server that trickles doesn't hold an attempt for hours.
    static constexpr ReplyBounds fileBounds{0, std::chrono::seconds(60), std::chrono::minutes(5), 32 * 1024};
    static constexpr std::chrono::milliseconds overallPerMebibyte = std::chrono::seconds(16);

    HTTPSModelSource(QUrl base, ModelFamily family, int attempts = 6, RetryPause pause = pauseUnlessCancelled,
                     const ReplyBounds& manifest = manifestBounds, const ReplyBounds& file = fileBounds);

    // "download (<host>)".
    QString name() const override;
    // The required files, then "LICENSE" and "NOTICE" when listed, with the manifest's sizes and
    // digests. Must come before fetch, which looks up the download paths recorded here.
    std::vector<ModelFile> files(ModelPackage package, const Cancelled& cancelled) override;
    // Resumes from the destination's current size (the offset is not consulted) and returns no
    // digest: the installer hashes the file itself.
    std::optional<QString> fetch(const ModelFile& file, ModelPackage package, const QString& destination, qint64 offset,
                                 const Progress& progress, const Cancelled& cancelled) override;

    // The punctuation model's files, in the manifest's order.
    std::vector<ModelFile> punctuationFiles(const Cancelled& cancelled) override;
    void fetchPunctuation(const ModelFile& file, const QString& destination, const Progress& progress,
                          const Cancelled& cancelled) override;

private:
    ModelManifest loadManifest(const Cancelled& cancelled);
    void recordBlobs(const QString& keyPrefix, const std::vector<ModelManifest::File>& files);
    void download(const QString& key, const ModelFile& file, const QString& destination, const Progress& progress,
                  const Cancelled& cancelled);

    QUrl base_;
    ModelFamily family_;
    int attempts_;
    RetryPause pause_;
    ReplyBounds manifestBounds_;
    ReplyBounds fileBounds_;
    NetworkThread network_;

    std::mutex mutex_;  // guards manifest_ and blobs_
    std::optional<ModelManifest> manifest_;
    QHash<QString, QString> blobs_;  // download key ("320ms/encoder.onnx") to blob path
};
