#pragma once
// Where a setting comes from: its environment variable, then the user's own settings (kept as
// soon as they change), then the application's built-in configuration, then the caller's default.

#include <QHash>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace Environment {
// The variable's value when it is set and not empty.
std::optional<QString> value(const char* name);
bool contains(const char* name);
// A path with a leading tilde taken as the home folder.
QString expandTilde(const QString& path);
}

// The user's settings file is private (0600 in a 0700 folder). A file that can't be read or
// parsed (garbage, text that isn't UTF-8, a last line cut off) is kept aside whole (its readable
// settings stay in use) and reported, so neither the damaged part nor the user's changes are lost
// without a word. A value the start had reason to doubt (the settings were lost or damaged) can be
// marked so: it is no choice of the user's until the user sets it again, even in a later run. A
// server's address or token typed by hand is read as typed (a comma, a semicolon, quotes or
// backslashes are part of it) unless it is in quotes, from the file as it is when it is asked for,
// so an edit made while the application runs is used; reading it writes nothing. Each save
// writes only the keys it sets into the file as it stands then: other instances' changes and the
// user's edits stay as they were written.
class Settings {
public:
    // The user's settings file ($XDG_CONFIG_HOME/Quillmarsh/Quillmarsh.conf).
    static Settings& shared();
    explicit Settings(const QString& filePath);

    // What the user should know about the settings file: that it was damaged and kept aside at
    // start, or that settings can't be saved; empty when all is well.
    QString problem() const;
    // The file found at start couldn't be used as it was (see problem()).
    bool wasDamaged() const;
    // There was no file, or an empty one, at start, and nothing has been set since.
    bool wasMissing() const;

    // Marks the keys' values as no choice of the user's, except those set in this run; the mark
    // stays in the file until the key is set.
    void doubt(const QStringList& keys);
    // False while the key is marked (see doubt).
    bool isChosen(const QString& key) const;

    bool contains(const QString& key) const;
    QVariant value(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

    // The application's built-in configuration, compiled into the application and set at start-up.
    static void setBuiltIn(QHash<QString, QString> values);
    static std::optional<QString> builtIn(const QString& key);

    // The first of: environment variable, user setting, built-in value. Empty texts don't count.
    std::optional<QString> lookup(const char* environmentName, const QString& userKey,
                                  const QString& builtInKey = {}) const;

private:
    // Replaces a damaged file by a clean one that keeps what could be read (`typedLines` as read).
    void keepDamagedFileAside(const QString& filePath, const QString& reason,
                              const QHash<QString, QString>& typedLines);
    // The key's value with the file's typed lines as given.
    QVariant valueIn(const QHash<QString, QString>& typedLines, const QString& key) const;
    QVariant currentValue(const QString& key) const;
    void readAgain() const;
    // Makes `change` to the file as it is now and writes it, with `keys` as the ones it sets.
    void write(const QStringList& keys, const std::function<void()>& change);
    void writeTypedFormsBack(const QByteArray& before, const QStringList& keys);

    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> store_;
    QString problem_;
    bool damaged_ = false;
    bool missing_ = false;
    QSet<QString> setInThisRun_;
};
