#include "Settings.h"

#include "AppFolders.h"
#include "AtomicFile.h"
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
    takeTypedValues(file.bytes);
    if (!file.failure.isEmpty())
        keepDamagedFileAside(filePath, file.failure);
    else if (store_->status() == QSettings::FormatError)
        keepDamagedFileAside(filePath, QStringLiteral("part of it can't be understood"));
    else if (const QString damage = damageIn(file.bytes); !damage.isEmpty())
        keepDamagedFileAside(filePath, damage);
}

void Settings::takeTypedValues(const QByteArray& bytes)
{
    const QHash<QString, QString> typed = TypedSettingLines::typed(bytes);
    for (auto it = typed.cbegin(); it != typed.cend(); ++it) {
        const bool quoted = TypedSettingLines::isQuoted(it.value());
        typed_.insert(it.key(), {it.value(), quoted ? store_->value(it.key()).toString() : it.value()});
    }
}

QVariant Settings::storedValue(const QString& key) const
{
    const auto typed = typed_.constFind(key);
    return typed != typed_.cend() ? QVariant(typed->value) : store_->value(key);
}

// The file's writer writes a text its own way, which reads otherwise as typed (a backslash, a
// quote) or loses what it couldn't read (an unknown escape): a value typed by hand goes back as
// typed, and one set here goes in quotes when its written form isn't the text itself.
void Settings::writeTypedFormsBack()
{
    const WholeFile file = readWholeFile(store_->fileName());
    if (!file.failure.isEmpty())
        return;
    const QByteArray bytes =
        TypedSettingLines::rewritten(file.bytes, [this](const QString& key, const QString& text) -> QString {
            if (const auto typed = typed_.constFind(key); typed != typed_.cend())
                return typed->text;
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

void Settings::keepDamagedFileAside(const QString& filePath, const QString& reason)
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
        if (const QVariant value = storedValue(key); KnownSettings::isValid(key, value))
            readable.insert(key, value);
    }
    typed_.removeIf([&](const auto& typed) { return !readable.contains(typed.key()); });
    store_ = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    for (auto it = readable.cbegin(); it != readable.cend(); ++it)
        store_->setValue(it.key(), it.value());
    store_->sync();
    saved();
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
    QStringList doubted = store_->value(doubtedKey).toStringList();
    for (const QString& key : keys) {
        if (!doubted.contains(key) && !setInThisRun_.contains(key))
            doubted.append(key);
    }
    if (doubted.isEmpty())
        return;
    store_->setValue(doubtedKey, doubted);
    store_->sync();
    saved();
}

bool Settings::isChosen(const QString& key) const
{
    std::lock_guard lock(mutex_);
    return !store_->value(doubtedKey).toStringList().contains(key);
}

// After each write: the file is the user's alone, and a failed write is told.
void Settings::saved()
{
    if (store_->status() == QSettings::AccessError) {
        if (problem_.isEmpty())
            Log::info(QStringLiteral("could not save the settings to ") + store_->fileName());
        problem_ = QStringLiteral("Couldn\u2019t save your settings to %1.").arg(store_->fileName());
        return;
    }
    writeTypedFormsBack();
    ::chmod(QFile::encodeName(store_->fileName()).constData(), 0600);
}

bool Settings::contains(const QString& key) const
{
    std::lock_guard lock(mutex_);
    return store_->contains(key);
}

QVariant Settings::value(const QString& key) const
{
    std::lock_guard lock(mutex_);
    return storedValue(key);
}

void Settings::setValue(const QString& key, const QVariant& value)
{
    std::lock_guard lock(mutex_);
    store_->setValue(key, value);
    typed_.remove(key);
    setInThisRun_.insert(key);
    // Set, the value is the user's again.
    if (QStringList doubted = store_->value(doubtedKey).toStringList(); doubted.removeAll(key) > 0) {
        if (doubted.isEmpty())
            store_->remove(doubtedKey);
        else
            store_->setValue(doubtedKey, doubted);
    }
    store_->sync();
    saved();
}

void Settings::remove(const QString& key)
{
    std::lock_guard lock(mutex_);
    store_->remove(key);
    typed_.remove(key);
    setInThisRun_.insert(key);
    store_->sync();
    saved();
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
