#include "LoginItem.h"

#include "Core/Log.h"
#include "LaunchArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

bool fail(const QString& why)
{
    Log::info(QStringLiteral("open at login: ") + why);
    return false;
}

QByteArray entry()
{
    const QString program = QCoreApplication::applicationFilePath();
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillmarsh\n"
                          "Comment=Dictation for Persian and English\n"
                          "Exec=\"%1\" %2\n"
                          "Icon=quillmarsh\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(program, LaunchArguments::atLoginArgument)
        .toUtf8();
}

}

QString LoginItem::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/quillmarsh.desktop");
}

bool LoginItem::isEnabled()
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    return !text.contains("\nHidden=true") && !text.contains("X-GNOME-Autostart-enabled=false");
}

bool LoginItem::setEnabled(bool on)
{
    const QString path = entryPath();
    if (!on) {
        if (QFile::exists(path) && !QFile::remove(path))
            return fail(QStringLiteral("cannot remove ") + path);
        return true;
    }
    if (!QDir().mkpath(QFileInfo(path).path()))
        return fail(QStringLiteral("cannot make the folder of ") + path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry()) < 0 || !file.commit())
        return fail(file.errorString());
    return true;
}
