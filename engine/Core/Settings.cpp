#include "Settings.h"

#include "AppFolders.h"
#include "AtomicFile.h"
#include "FileLock.h"
#include "KnownSettings.h"
#include "Log.h"
#include "PrivateFolder.h"
#include "StoredFile.h"
#include "TypedSettingLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace Environment {

std::optional<QString> value(const char* name)
{
    const QString text = qEnvironmentVariable(name);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

bool contains(const char* name)
{
    return qEnvironmentVariableIsSet(name);
}

QString expandTilde(const QString& path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

}

namespace {
std::mutex builtInMutex;
QHash<QString, QString> builtInValues;

// Where the mark of doubted values is kept (see Settings::doubt).
const QString doubtedKey = QStringLiteral("notChosen");

// A line of a settings file as QSettings writes it: blank, a comment, a [section] or key=value.
bool isSettingsLine(QStringView line)
{
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
        return true;
    if (line.startsWith(u'['))
        return line.endsWith(u']');
    const qsizetype equals = line.indexOf(u'=');
    return equals > 0 && !line.first(equals).trimmed().isEmpty();
}

// Why the bytes aren't a whole settings file; empty when they are. QSettings reads past most
// of these, and its next save would replace the damaged file with what it understood.
QString damageIn(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QStringLiteral("it isn't text");
    const bool controls = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 && c != u'\n' && c != u'\r' && c != u'\t';
    });
    if (controls)
        return QStringLiteral("it isn't text");
    if (!bytes.endsWith('\n'))
        return QStringLiteral("its last line is cut off");
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    if (!std::all_of(lines.cbegin(), lines.cend(), isSettingsLine))
        return QStringLiteral("part of it can't be understood");
    return {};
}
}

Settings& Settings::shared()
{
    static Settings settings(AppFolders::config() + QStringLiteral("/Quillmarsh.conf"));
    return settings;
}

Settings::Settings(const QString& filePath)
{
    makePrivateFolder(QFileInfo(filePath).absolutePath());
    const WholeFile file = readWholeFile(filePath);
    store_ = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    missing_ = file.failure.isEmpty() && file.bytes.isEmpty();
    const QHash<QString, QString> typed = TypedSettingLines::typed(file.bytes);
    if (!file.failure.isEmpty())
        keepDamagedFileAside(filePath, file.failure, typed);
    else if (store_->status() == QSettings::FormatError)
        keepDamagedFileAside(filePath, QStringLiteral("part of it can't be understood"), typed);
    else if (const QString damage = damageIn(file.bytes); !damage.isEmpty())
        keepDamagedFileAside(filePath, damage, typed);
}

QVariant Settings::valueIn(const QHash<QString, QString>& typedLines, const QString& key) const
{
    const auto typed = typedLines.constFind(key);
    if (typed == typedLines.cend() || TypedSettingLines::isQuoted(*typed))
        return store_->value(key);
    return *typed;
}

QVariant Settings::currentValue(const QString& key) const
{
    if (!KnownSettings::isPlainText(key))
        return store_->value(key);
    const WholeFile file = readWholeFile(store_->fileName());
    return valueIn(file.failure.isEmpty() ? TypedSettingLines::typed(file.bytes) : QHash<QString, QString>(), key);
}

// The file's reader takes in what was written since it last read (a stat when nothing was). Not
// once a save failed: its changes still wait, and it would write them with this read.
void Settings::readAgain() const
{
    if (store_->status() == QSettings::NoError)
        store_->sync();
}

void Settings::write(const QStringList& keys, const std::function<void()>& change)
{
    // Another instance holds this for one save, milliseconds, and its death lets it go: waited
    // for as the file's writer waits for its own lock. Going on without it could lose that save.
    const FileLock lock(store_->fileName() + QStringLiteral(".save"), [] { return true; });
    const WholeFile before = readWholeFile(store_->fileName());
    readAgain();
    change();
    // The file's writer merges the keys set here into the file as it reads it now.
    store_->sync();
    if (store_->status() == QSettings::AccessError) {
        if (problem_.isEmpty())
            Log::info(QStringLiteral("could not save the settings to ") + store_->fileName());
        problem_ = QStringLiteral("Couldn\u2019t save your settings to %1.").arg(store_->fileName());
        return;
    }
    if (before.failure.isEmpty())
        writeTypedFormsBack(before.bytes, keys);
    ::chmod(QFile::encodeName(store_->fileName()).constData(), 0600);
}

// The file's writer writes every text its own way, which reads otherwise as typed (a backslash, a
// quote) or loses what it couldn't read (an unknown escape): a value typed by hand goes back as
// it stood in the file just before, and one set here goes in quotes when its written form isn't
// the text itself.
void Settings::writeTypedFormsBack(const QByteArray& before, const QStringList& keys)
{
    const WholeFile file = readWholeFile(store_->fileName());
    if (!file.failure.isEmpty())
        return;
    const QHash<QString, QString> typed = TypedSettingLines::typed(before);
    const QByteArray bytes = TypedSettingLines::rewritten(file.bytes, [&](const QString& key, const QString& text) {
        if (const auto kept = typed.constFind(key); kept != typed.cend() && !keys.contains(key))
            return *kept;
        if (TypedSettingLines::isQuoted(text) || text == store_->value(key).toString())
            return text;
        return u'"' + text + u'"';
    });
    if (bytes == file.bytes)
        return;
    if (const auto failure = writeFileAtomically(store_->fileName(), bytes)) {
        Log::info(QStringLiteral("could not save the settings: ") + *failure);
        problem_ = QStringLiteral("Couldn\u2019t save your settings to %1.").arg(store_->fileName());
    }
}

void Settings::keepDamagedFileAside(const QString& filePath, const QString& reason,
                                    const QHash<QString, QString>& typedLines)
{
    damaged_ = true;
    const QString side = keptAsideName(filePath, QFileInfo(filePath).completeBaseName(), QStringLiteral("conf"));
    const QString sidePath = QFileInfo(filePath).absoluteDir().filePath(side);
    if (::rename(QFile::encodeName(filePath).constData(), QFile::encodeName(sidePath).constData()) != 0) {
        const QString failure = QString::fromLocal8Bit(std::strerror(errno));
        Log::info(QStringLiteral("settings file unreadable (%1) and not kept aside: %2").arg(reason, failure));
        problem_ = QStringLiteral("Your settings couldn\u2019t be read (%1), so changes to them aren\u2019t saved.")
                       .arg(reason);
        return;
    }
    // A fresh file with the settings that could be read, and without the damage: only our own
    // keys with values of their form, not what the reader made of the garbage.
    QHash<QString, QVariant> readable;
    for (const QString& key : store_->allKeys()) {
        if (const QVariant value = valueIn(typedLines, key); KnownSettings::isValid(key, value))
            readable.insert(key, value);
    }
    store_ = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    write(readable.keys(), [&] {
        for (auto it = readable.cbegin(); it != readable.cend(); ++it)
            store_->setValue(it.key(), it.value());
    });
    Log::info(QStringLiteral("settings file unreadable (%1); kept as %2").arg(reason, side));
    problem_ = QStringLiteral("Your settings file was damaged and kept aside as %1; settings that couldn\u2019t be "
                              "read are back to their defaults.")
                   .arg(side);
}

QString Settings::problem() const
{
    std::lock_guard lock(mutex_);
    return problem_;
}

bool Settings::wasDamaged() const
{
    return damaged_;
}

bool Settings::wasMissing() const
{
    std::lock_guard lock(mutex_);
    return missing_ && setInThisRun_.isEmpty();
}

void Settings::doubt(const QStringList& keys)
{
    std::lock_guard lock(mutex_);
    write({doubtedKey}, [&] {
        QStringList doubted = store_->value(doubtedKey).toStringList();
        for (const QString& key : keys) {
            if (!doubted.contains(key) && !setInThisRun_.contains(key))
                doubted.append(key);
        }
        if (!doubted.isEmpty())
            store_->setValue(doubtedKey, doubted);
    });
}

bool Settings::isChosen(const QString& key) const
{
    std::lock_guard lock(mutex_);
    readAgain();
    return !store_->value(doubtedKey).toStringList().contains(key);
}

bool Settings::contains(const QString& key) const
{
    std::lock_guard lock(mutex_);
    readAgain();
    return store_->contains(key);
}

QVariant Settings::value(const QString& key) const
{
    std::lock_guard lock(mutex_);
    readAgain();
    return currentValue(key);
}

void Settings::setValue(const QString& key, const QVariant& value)
{
    std::lock_guard lock(mutex_);
    setInThisRun_.insert(key);
    write({key, doubtedKey}, [&] {
        store_->setValue(key, value);
        // Set, the value is the user's again.
        if (QStringList doubted = store_->value(doubtedKey).toStringList(); doubted.removeAll(key) > 0) {
            if (doubted.isEmpty())
                store_->remove(doubtedKey);
            else
                store_->setValue(doubtedKey, doubted);
        }
    });
}

void Settings::remove(const QString& key)
{
    std::lock_guard lock(mutex_);
    setInThisRun_.insert(key);
    write({key}, [&] { store_->remove(key); });
}

void Settings::setBuiltIn(QHash<QString, QString> values)
{
    std::lock_guard lock(builtInMutex);
    builtInValues = std::move(values);
}

std::optional<QString> Settings::builtIn(const QString& key)
{
    std::lock_guard lock(builtInMutex);
    const QString text = builtInValues.value(key);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> Settings::lookup(const char* environmentName, const QString& userKey,
                                        const QString& builtInKey) const
{
    if (environmentName) {
        if (auto text = Environment::value(environmentName))
            return text;
    }
    if (!userKey.isEmpty()) {
        const QString text = value(userKey).toString();
        if (!text.isEmpty())
            return text;
    }
    if (!builtInKey.isEmpty())
        return builtIn(builtInKey);
    return std::nullopt;
}
