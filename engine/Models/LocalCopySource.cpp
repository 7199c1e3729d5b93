#include "LocalCopySource.h"

#include "Core/Settings.h"
#include "ModelInstallError.h"
#include "ModelStore.h"
#include "Sha256.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 chunkSize = 8 * 1024 * 1024;

QString chosenRoot(std::optional<QString> rootDir)
{
    if (rootDir)
        return *rootDir;
    if (auto configured = Environment::value("QUILLMARSH_MODEL_SOURCE"))
        return Environment::expandTilde(*configured);
    // The export folder is the parent of every package's developer fallback folder.
    return QFileInfo(ModelPackage(ModelPackage::fast).directory()).path();
}

[[noreturn]] void failCopy(const ModelFile& file, const QFile& failed)
{
    throw ModelInstallError::copyFailed(file.name + QStringLiteral(": ") + failed.errorString());
}

}

LocalCopySource::LocalCopySource(std::optional<QString> rootDir) : rootDir_(chosenRoot(std::move(rootDir))) {}

QString LocalCopySource::name() const
{
    return QStringLiteral("local copy (") + rootDir_ + u')';
}

std::vector<ModelFile> LocalCopySource::files(ModelPackage package, const Cancelled&)
{
    std::vector<ModelFile> result;
    for (const QString& fileName : ModelStore::requiredFiles()) {
        const QString path = rootDir_ + u'/' + package.rawValue() + u'/' + fileName;
        const QFileInfo info(path);
        if (!info.exists() || !info.isFile())
            throw ModelInstallError::sourceMissing(path);
        result.push_back(ModelFile{fileName, info.size(), std::nullopt});
    }
    return result;
}

std::optional<QString> LocalCopySource::fetch(const ModelFile& file, ModelPackage package, const QString& destination,
                                              qint64 offset, const Progress& progress, const Cancelled& cancelled)
{
    QFile input(rootDir_ + u'/' + package.rawValue() + u'/' + file.name);
    if (!input.open(QIODevice::ReadOnly))
        failCopy(file, input);
    // ReadWrite creates a missing file and keeps an existing one whole until we cut it.
    QFile output(destination);
    if (!output.open(QIODevice::ReadWrite))
        failCopy(file, output);

    Sha256 digest;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    qint64 hashed = 0;
    while (hashed < offset) {
        const qint64 count = input.read(chunk.data(), std::min(chunkSize, offset - hashed));
        if (count < 0)
            failCopy(file, input);
        if (count == 0)
            break;
        digest.add(QByteArrayView(chunk.constData(), count));
        hashed += count;
    }
    if (!output.resize(offset) || !output.seek(offset))
        failCopy(file, output);

    for (;;) {
        const qint64 count = input.read(chunk.data(), chunkSize);
        if (count < 0)
            failCopy(file, input);
        if (count == 0)
            break;
        if (cancelled())
            throw ModelInstallError::cancelled();
        digest.add(QByteArrayView(chunk.constData(), count));
        if (output.write(chunk.constData(), count) != count || !output.flush())
            failCopy(file, output);
        progress(count);
    }
    return digest.hexDigest();
}
