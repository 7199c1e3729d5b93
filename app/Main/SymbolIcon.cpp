#include "Main/SymbolIcon.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QQuickWindow>
#include <QSvgRenderer>

#include <cmath>

namespace {

// Outlines on a 24 × 24 grid, drawn in black and then tinted.
const QHash<QString, QByteArray>& outlines()
{
    static const QHash<QString, QByteArray> shapes{
        {QStringLiteral("envelope"),
         R"(<rect x="2.5" y="5" width="19" height="14" rx="2.5" fill="none" stroke="#000" stroke-width="1.8"/>
            <path d="M3.5 6.5l8.5 6.5 8.5-6.5" fill="none" stroke="#000" stroke-width="1.8" stroke-linejoin="round"/>)"},
        {QStringLiteral("bubble.left"),
         R"(<path d="M12 3.5c5.2 0 9.5 3.4 9.5 7.8s-4.3 7.8-9.5 7.8c-1 0-2-.1-2.9-.4L4 21l1.4-4.1C3.6 15.5 2.5 13.5 2.5 11.3 2.5 6.9 6.8 3.5 12 3.5z" fill="none" stroke="#000" stroke-width="1.8" stroke-linejoin="round"/>)"},
        {QStringLiteral("doc.text"),
         R"(<path d="M6 2.5h8l5 5v13a1 1 0 0 1-1 1H6a1 1 0 0 1-1-1v-17a1 1 0 0 1 1-1z" fill="none" stroke="#000" stroke-width="1.8" stroke-linejoin="round"/>
            <path d="M8.5 12h7M8.5 15.5h7M8.5 8.5h3" stroke="#000" stroke-width="1.6" stroke-linecap="round"/>)"},
        {QStringLiteral("chevron.left.forwardslash.chevron.right"),
         R"(<path d="M7 7l-5 5 5 5M17 7l5 5-5 5M14 4.5l-4 15" fill="none" stroke="#000" stroke-width="1.9" stroke-linecap="round" stroke-linejoin="round"/>)"},
        {QStringLiteral("square.grid.2x2"),
         R"(<g fill="none" stroke="#000" stroke-width="1.8"><rect x="3" y="3" width="7.5" height="7.5" rx="1.5"/><rect x="13.5" y="3" width="7.5" height="7.5" rx="1.5"/><rect x="3" y="13.5" width="7.5" height="7.5" rx="1.5"/><rect x="13.5" y="13.5" width="7.5" height="7.5" rx="1.5"/></g>)"},
        {QStringLiteral("lock"),
         R"(<rect x="4.5" y="10.5" width="15" height="11" rx="2" fill="none" stroke="#000" stroke-width="1.8"/>
            <path d="M8 10.5V7a4 4 0 0 1 8 0v3.5" fill="none" stroke="#000" stroke-width="1.8"/>)"},
        {QStringLiteral("magnifyingglass"),
         R"(<circle cx="10.5" cy="10.5" r="6.5" fill="none" stroke="#000" stroke-width="2"/>
            <path d="M15.5 15.5l5.5 5.5" stroke="#000" stroke-width="2.2" stroke-linecap="round"/>)"},
        {QStringLiteral("trash"),
         R"(<path d="M3.5 6h17M9 6V3.5h6V6M5.5 6l1.2 14.5a1 1 0 0 0 1 .9h8.6a1 1 0 0 0 1-.9L18.5 6M10 10v7.5M14 10v7.5" fill="none" stroke="#000" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>)"},
        {QStringLiteral("checkmark.circle.fill"),
         R"(<circle cx="12" cy="12" r="10.5" fill="#000"/>
            <path d="M7 12.5l3.3 3.3L17 9" fill="none" stroke="#fff" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>)"},
        {QStringLiteral("waveform"),
         R"(<path d="M3 10v4M7 6v12M11 3v18M15 7v10M19 9.5v5M21.5 11v2" stroke="#000" stroke-width="2" stroke-linecap="round"/>)"},
        {QStringLiteral("play.fill"),
         R"(<path d="M7 3.8v16.4a1 1 0 0 0 1.5.9l13-8.2a1 1 0 0 0 0-1.8l-13-8.2A1 1 0 0 0 7 3.8z"/>)"},
        {QStringLiteral("pause.fill"),
         R"(<rect x="5" y="3.5" width="5" height="17" rx="1.3"/><rect x="14" y="3.5" width="5" height="17" rx="1.3"/>)"},
        {QStringLiteral("checkmark"),
         R"(<path d="M4 12.5l5 5L20 6.5" fill="none" stroke="#000" stroke-width="2.6" stroke-linecap="round" stroke-linejoin="round"/>)"},
        {QStringLiteral("xmark"),
         R"(<path d="M5.5 5.5l13 13M18.5 5.5l-13 13" stroke="#000" stroke-width="2.6" stroke-linecap="round"/>)"},
        {QStringLiteral("square"),
         R"(<rect x="3" y="3" width="18" height="18" rx="4" fill="none" stroke="#000" stroke-width="1.8"/>)"},
        {QStringLiteral("checkmark.square.fill"),
         R"(<rect x="2.5" y="2.5" width="19" height="19" rx="4.5" fill="#000"/>
            <path d="M7 12.5l3.3 3.3L17 8.8" fill="none" stroke="#fff" stroke-width="2.3" stroke-linecap="round" stroke-linejoin="round"/>)"},
        {QStringLiteral("exclamationmark.triangle"),
         R"(<path d="M12 3L2.5 20.5h19z" fill="none" stroke="#000" stroke-width="1.8" stroke-linejoin="round"/>
            <path d="M12 9.5v5" stroke="#000" stroke-width="2" stroke-linecap="round"/><circle cx="12" cy="17.5" r="1.2"/>)"},
        {QStringLiteral("doc.on.doc"),
         R"(<rect x="8" y="7" width="12" height="14.5" rx="2" fill="none" stroke="#000" stroke-width="1.8"/>
            <path d="M5 16.5V5a2 2 0 0 1 2-2h8" fill="none" stroke="#000" stroke-width="1.8" stroke-linecap="round"/>)"},
    };
    return shapes;
}

}

SymbolIcon::SymbolIcon(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &SymbolIcon::symbolChanged, this, [this] {
        setImplicitSize(size_, size_);
        update();
    });
    setImplicitSize(size_, size_);
}

void SymbolIcon::paint(QPainter* painter)
{
    const auto outline = outlines().constFind(name_);
    if (outline == outlines().constEnd())
        return;
    QSvgRenderer renderer(QByteArrayLiteral(R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24">)")
                          + *outline + QByteArrayLiteral("</svg>"));
    const qreal side = std::min(width(), height());
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const int pixels = int(std::ceil(side * ratio));
    QImage image(QSize(pixels, pixels), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter drawing(&image);
        drawing.setRenderHint(QPainter::Antialiasing);
        renderer.render(&drawing);
    }
    // Black is ink and white a hole (the tick inside a filled circle): coverage becomes the
    // symbol colour's opacity.
    for (int y = 0; y < pixels; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pixels; ++x) {
            const int coverage = qAlpha(line[x]) * (255 - qGray(line[x])) / 255;
            line[x] = qRgba(color_.red(), color_.green(), color_.blue(), coverage * color_.alpha() / 255);
        }
    }
    image.setDevicePixelRatio(ratio);
    painter->drawImage(QPointF((width() - side) / 2, (height() - side) / 2), image);
}
