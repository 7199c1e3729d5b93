#include "KeptChanges.h"

#include "AtomicFile.h"
#include "Log.h"
#include "StoredFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
const QString changesKey = QStringLiteral("changes");
const QString unreadableSuffix = QStringLiteral(".unreadable");

const QString infix = QStringLiteral(".unsaved-");

// The process and a random part: a later process with the same number has another name.
const QString& runName()
{
    static const QString name =
        QStringLiteral("%1-%2").arg(::getpid()).arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    return name;
}
}

namespace KeptChanges {

QString fileFor(const QString& path)
{
    return path + infix + runName();
}

std::optional<QString> keep(const QString& path, const QJsonArray& changes)
{
    // Another store of this run kept changes to the same file first: they come first.
    QJsonArray all;
    if (QFileInfo::exists(fileFor(path)))
        all = read(fileFor(path)).value_or(QJsonArray());
    for (const auto& change : changes)
        all.append(change);
    const QJsonObject document{{changesKey, all}};
    return writeFileAtomically(fileFor(path), QJsonDocument(document).toJson(QJsonDocument::Compact));
}

QStringList beside(const QString& path)
{
    const QFileInfo file(path);
    // Exactly a run's name: not a write still under way (its temporary name goes on), nor one put
    // aside.
    const QRegularExpression kept(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(file.fileName() + infix) + QStringLiteral("\\d+-[0-9a-f]{8}")));
    QFileInfoList found;
    for (const QFileInfo& entry : file.absoluteDir().entryInfoList(QDir::Files | QDir::Hidden)) {
        if (kept.match(entry.fileName()).hasMatch())
            found.append(entry);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() < b.lastModified(); });
    QStringList paths;
    for (const QFileInfo& entry : found)
        paths.append(entry.absoluteFilePath());
    return paths;
}

std::optional<QJsonArray> read(const QString& keptPath)
{
    const WholeFile file = readWholeFile(keptPath);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.bytes, &error);
    const QJsonValue changes = document.object().value(changesKey);
    if (file.failure.isEmpty() && error.error == QJsonParseError::NoError && changes.isArray())
        return changes.toArray();
    const QString aside = keptPath + unreadableSuffix;
    ::rename(QFile::encodeName(keptPath).constData(), QFile::encodeName(aside).constData());
    Log::info(QStringLiteral("changes kept in %1 can't be read; put aside as %2")
                  .arg(QFileInfo(keptPath).fileName(), QFileInfo(aside).fileName()));
    return std::nullopt;
}

}
