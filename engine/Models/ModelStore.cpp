#include "ModelStore.h"

#include "Core/AppFolders.h"
#include "Core/Error.h"
#include "Core/Settings.h"
#include "InstallRecord.h"
#include "ModelFamily.h"
#include "Sha256.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

QString storeName(ModelPackage package)
{
    return ModelFamily::current().storeName(package);
}

void removeIfPresent(const QString& path)
{
    const std::filesystem::path target(QFile::encodeName(path).toStdString());
    std::error_code error;
    std::filesystem::remove_all(target, error);
    if (error)
        throw Error(QStringLiteral("couldn't remove %1: %2").arg(path, QString::fromStdString(error.message())));
}

}

namespace ModelStore {

QString root()
{
    return AppFolders::data() + QStringLiteral("/Models");
}

QString stagingRoot()
{
    return root() + QStringLiteral("/.staging");
}

std::optional<QString> overrideDir()
{
    if (auto path = Environment::value("QUILLMARSH_MODEL_DIR"))
        return Environment::expandTilde(*path);
    return std::nullopt;
}

const QStringList& requiredFiles()
{
    static const QStringList files{
        QStringLiteral("encoder.onnx"), QStringLiteral("encoder.data"), QStringLiteral("decoder.onnx"),
        QStringLiteral("joiner.onnx"),  QStringLiteral("tokens.txt"),   QStringLiteral("bpe.vocab"),
    };
    return files;
}

QString directory(ModelPackage package)
{
    if (auto path = overrideDir())
        return *path;
    return root() + u'/' + storeName(package);
}

QString staging(ModelPackage package)
{
    return stagingRoot() + u'/' + storeName(package);
}

bool isInstalled(ModelPackage package)
{
    if (overrideDir())
        return true;
    const QString folder = directory(package);
    QFile recordFile(folder + QStringLiteral("/.installed.json"));
    if (!recordFile.open(QIODevice::ReadOnly))
        return false;
    const std::optional<InstallRecord> record = InstallRecord::decoded(recordFile.readAll());
    if (!record)
        return false;
    for (const InstallRecord::File& file : record->files) {
        const QFileInfo info(folder + u'/' + file.name);
        if (!info.exists() || info.size() != file.size)
            return false;
    }
    return true;
}

void remove(ModelPackage package)
{
    removeIfPresent(directory(package));
    removeIfPresent(staging(package));
}

QString sha256(const QString& filePath)
{
    constexpr qint64 chunkSize = 8 * 1024 * 1024;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("couldn't open %1: %2").arg(filePath, file.errorString()));
    Sha256 hash;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 count = file.read(chunk.data(), chunkSize);
        if (count < 0)
            throw Error(QStringLiteral("couldn't read %1: %2").arg(filePath, file.errorString()));
        if (count == 0)
            break;
        hash.add(QByteArrayView(chunk.constData(), count));
    }
    return hash.hexDigest();
}

}
