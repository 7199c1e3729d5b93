import QtQuick
import Quillmarsh.Design

// Wrapped plain text with extra points between its lines.
QMText {
    id: root
    property real extraSpacing: 0

    wrapMode: Text.Wrap
    lineHeightMode: Text.FixedHeight
    lineHeight: metrics.height + extraSpacing

    FontMetrics {
        id: metrics
        font: root.font
    }
}
