#include "Fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

void Fonts::registerFonts()
{
    registerFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/Fonts"));
}

void Fonts::registerFolder(const QString& folder)
{
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        if (file.suffix().compare(QLatin1String("ttf"), Qt::CaseInsensitive) == 0) {
            QFontDatabase::addApplicationFont(file.absoluteFilePath());
        }
    }
}
