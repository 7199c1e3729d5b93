#include "IconExport.h"

#include "Core/Log.h"
#include "OrbState.h"
#include "StatusIcon.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

void save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG"))
        Log::info(QStringLiteral("icon not written: ") + path);
}

}

void IconExport::write(const QString& folder)
{
    QDir().mkpath(folder);
    const QDir target(folder);
    QSvgRenderer appIcon(QStringLiteral(":/resources/quillmarsh.svg"));
    for (const int side : {16, 32, 64, 128, 256, 512}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        appIcon.render(&painter);
        painter.end();
        save(image, target.filePath(QStringLiteral("quillmarsh-%1.png").arg(side)));
    }
    const OrbState resting;
    save(StatusIcon::orb(resting, std::nullopt, true), target.filePath(QStringLiteral("status.png")));
    save(StatusIcon::orb(resting, std::nullopt, false), target.filePath(QStringLiteral("status-ink.png")));
}
