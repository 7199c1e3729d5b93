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
const QString claimInfix = QStringLiteral(".into-");

// The process and a random part: a later process with the same number has another name.
const QString& runName()
{
    static const QString name =
        QStringLiteral("%1-%2").arg(::getpid()).arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    return name;
}

// The claim a store's taking in gives a kept file while the store's file is this version.
QString claimFor(const FileIdentity& store)
{
    if (!store.isFile)
        return claimInfix + QStringLiteral("none");
    return claimInfix
           + QStringLiteral("%1-%2-%3-%4")
                 .arg(store.device)
                 .arg(store.inode)
                 .arg(store.size)
                 .arg(store.modifiedNanoseconds);
}

// A file runs kept beside the store's: all its names, and the claim one of them has (empty for none).
struct Beside {
    QStringList names;
    QString claim;
};

// The files runs kept beside the file at `path`, oldest first.
std::vector<Beside> filesBeside(const QString& path)
{
    const QFileInfo file(path);
    // Exactly a run's name, claimed or not: not a write still under way (its temporary name goes
    // on), nor one put aside.
    const QRegularExpression kept(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(file.fileName() + infix) + QStringLiteral("\\d+-[0-9a-f]{8}(")
        + QRegularExpression::escape(claimInfix) + QStringLiteral("(?:none|\\d+-\\d+-\\d+-\\d+))?")));
    QFileInfoList found;
    for (const QFileInfo& entry : file.absoluteDir().entryInfoList(QDir::Files | QDir::Hidden)) {
        if (kept.match(entry.fileName()).hasMatch())
            found.append(entry);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() < b.lastModified(); });
    std::vector<Beside> files;
    std::vector<FileIdentity> identities;
    for (const QFileInfo& entry : found) {
        const QString claim = kept.match(entry.fileName()).captured(1);
        const FileIdentity identity = identityOf(entry.absoluteFilePath());
        const size_t index = size_t(std::find_if(identities.begin(), identities.end(),
                                                 [&](const FileIdentity& other) {
                                                     return identity.isFile && other.device == identity.device
                                                            && other.inode == identity.inode;
                                                 })
                                    - identities.begin());
        if (index == identities.size()) {
            identities.push_back(identity);
            files.push_back({});
        }
        Beside& beside = files[index];
        beside.names.append(entry.absoluteFilePath());
        if (!claim.isEmpty())
            beside.claim = claim;
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
    const QString current = claimFor(identityOf(path));
    for (const Beside& beside : filesBeside(path)) {
        // Claimed for a version since replaced: that write holds its changes.
        if (!beside.claim.isEmpty() && beside.claim != current) {
            found.done.append(beside.names);
            continue;
        }
        const QStringList& names = beside.names;
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

void claim(Found& kept, const QString& path)
{
    const QString claim = claimFor(identityOf(path));
    for (Kept& file : kept.files) {
        for (QString& name : file.names) {
            const qsizetype claimed = name.lastIndexOf(claimInfix);
            const QString to = (claimed > name.lastIndexOf(infix) ? name.left(claimed) : name) + claim;
            if (name != to && ::rename(QFile::encodeName(name).constData(), QFile::encodeName(to).constData()) == 0)
                name = to;
        }
    }
}

void remove(const Found& kept)
{
    QStringList names = kept.done;
    for (const Kept& file : kept.files)
        names.append(file.names);
    for (const QString& name : names)
        ::unlink(QFile::encodeName(name).constData());
}

}
