#include "SymbolImage.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>

namespace {
// The colour every drawing in icons/ is made in.
constexpr auto drawnColour = "#111216";
}

SymbolImage::SymbolImage(QQuickItem* parent) : QQuickPaintedItem(parent), color_(QColor(drawnColour))
{
    setAntialiasing(true);
    connect(this, &SymbolImage::symbolChanged, this, [this] { update(); });
}

void SymbolImage::paint(QPainter* painter)
{
    QFile file(QStringLiteral(":/qt/qml/Quillmarsh/Design/icons/") + name_ + QStringLiteral(".svg"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray drawing = file.readAll();
    drawing.replace(drawnColour, color_.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(drawing);
    painter->setOpacity(color_.alphaF());
    // A square drawing, centred in the item whatever its shape.
    const qreal side = std::min(width(), height());
    renderer.render(painter, QRectF((width() - side) / 2, (height() - side) / 2, side, side));
}
