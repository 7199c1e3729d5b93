#include "Settings.h"

#include "AppFolders.h"
#include "Log.h"
#include "PrivateFolder.h"
#include "StoredFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    if (!file.failure.isEmpty())
        keepDamagedFileAside(filePath, file.failure);
    else if (store_->status() == QSettings::FormatError)
        keepDamagedFileAside(filePath, QStringLiteral("part of it can't be understood"));
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
    // A fresh file with the settings that could be read, and without the damage.
    QHash<QString, QVariant> readable;
    for (const QString& key : store_->allKeys())
        readable.insert(key, store_->value(key));
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

// After each write: the file is the user's alone, and a failed write is told.
void Settings::saved()
{
    if (store_->status() == QSettings::AccessError) {
        if (problem_.isEmpty())
            Log::info(QStringLiteral("could not save the settings to ") + store_->fileName());
        problem_ = QStringLiteral("Couldn\u2019t save your settings to %1.").arg(store_->fileName());
        return;
    }
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
    return store_->value(key);
}

void Settings::setValue(const QString& key, const QVariant& value)
{
    std::lock_guard lock(mutex_);
    store_->setValue(key, value);
    store_->sync();
    saved();
}

void Settings::remove(const QString& key)
{
    std::lock_guard lock(mutex_);
    store_->remove(key);
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
