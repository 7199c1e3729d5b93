#include "Settings.h"

#include <QDir>
#include <QStandardPaths>

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
    static Settings settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                             + QStringLiteral("/Quillmarsh/Quillmarsh.conf"));
    return settings;
}

Settings::Settings(const QString& filePath) : store_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

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
}

void Settings::remove(const QString& key)
{
    std::lock_guard lock(mutex_);
    store_->remove(key);
    store_->sync();
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
