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
#include <fcntl.h>
#include <unistd.h>

namespace {
const QString changesKey = QStringLiteral("changes");
const QString unreadableSuffix = QStringLiteral(".unreadable");

const QString infix = QStringLiteral(".unsaved-");
const QString lostSuffix = QStringLiteral(".lost");

// The process and a random part: a later process with the same number has another name.
const QString& runName()
{
    static const QString name =
        QStringLiteral("%1-%2").arg(::getpid()).arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    return name;
}

// The files runs kept beside the file at `path`, oldest first, each with all its names.
std::vector<QStringList> filesBeside(const QString& path)
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
    std::vector<QStringList> files;
    std::vector<FileIdentity> identities;
    for (const QFileInfo& entry : found) {
        const FileIdentity identity = identityOf(entry.absoluteFilePath());
        const auto same = std::find_if(identities.begin(), identities.end(), [&](const FileIdentity& other) {
            return identity.isFile && other.device == identity.device && other.inode == identity.inode;
        });
        if (same != identities.end()) {
            files[size_t(same - identities.begin())].append(entry.absoluteFilePath());
            continue;
        }
        identities.push_back(identity);
        files.push_back({entry.absoluteFilePath()});
    }
    return files;
}

std::optional<QJsonArray> changesIn(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonValue changes = document.object().value(changesKey);
    if (error.error != QJsonParseError::NoError || !changes.isArray())
        return std::nullopt;
    return changes.toArray();
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
    QJsonArray all = changesIn(readWholeFile(fileFor(path), largestFile).bytes).value_or(QJsonArray());
    for (const auto& change : changes)
        all.append(change);
    const QJsonObject document{{changesKey, all}};
    return writeFileAtomically(fileFor(path), QJsonDocument(document).toJson(QJsonDocument::Compact));
}

void markLost(const QString& path)
{
    const QByteArray mark = QFile::encodeName(fileFor(path) + lostSuffix);
    // A second name of the lock file needs no room; an empty file needs none for its content.
    if (::link(QFile::encodeName(path + QStringLiteral(".lock")).constData(), mark.constData()) == 0)
        return;
    const int fd = ::open(mark.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

bool takeLostMarks(const QString& path)
{
    const QFileInfo file(path);
    const QStringList marks =
        file.absoluteDir().entryList({file.fileName() + infix + QStringLiteral("*") + lostSuffix}, QDir::Files);
    for (const QString& mark : marks)
        ::unlink(QFile::encodeName(file.absoluteDir().filePath(mark)).constData());
    return !marks.isEmpty();
}

Found readBeside(const QString& path)
{
    Found found;
    for (const QStringList& names : filesBeside(path)) {
        const QString name = QFileInfo(names.first()).fileName();
        const WholeFile file = readWholeFile(names.first(), largestFile);
        if (file.tooLarge) {
            found.damaged.append(names);
            found.aside = QStringLiteral("Changes kept by an earlier run in %1 are too large to be taken in; the "
                                         "file is kept aside as %1%2.")
                              .arg(name, unreadableSuffix);
            continue;
        }
        if (!file.failure.isEmpty()) {
            found.unreadable = QStringLiteral("Couldn\u2019t read changes kept by an earlier run in %1: %2. They are "
                                              "tried again later.")
                                   .arg(name, file.failure);
            break;
        }
        // Taken in by another instance since they were listed.
        if (!file.identity.isFile)
            continue;
        if (const auto changes = changesIn(file.bytes)) {
            found.files.push_back({*changes, names});
            continue;
        }
        found.damaged.append(names);
        found.aside = QStringLiteral("Changes kept by an earlier run in %1 can\u2019t be understood; the file is "
                                     "kept aside as %1%2.")
                          .arg(name, unreadableSuffix);
    }
    return found;
}

void putAside(const QStringList& damaged)
{
    for (const QString& kept : damaged) {
        const QString aside = kept + unreadableSuffix;
        if (::rename(QFile::encodeName(kept).constData(), QFile::encodeName(aside).constData()) == 0)
            Log::info(QStringLiteral("changes kept in %1 can't be taken in; put aside as %2")
                          .arg(QFileInfo(kept).fileName(), QFileInfo(aside).fileName()));
    }
}

void remove(const Kept& kept)
{
    for (const QString& name : kept.names)
        ::unlink(QFile::encodeName(name).constData());
}

}
