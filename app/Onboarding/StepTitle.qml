import QtQuick
import Quillmarsh.Design

// The heading block of a step: the title over a subtitle that wraps at 620.
Column {
    id: root
    property alias title: titleText.text
    property alias subtitle: subtitleText.text
    spacing: 6

    QMText {
        id: titleText
        font: Typography.latin(28, Font.Bold)
        color: QM.ink
    }
    QMText {
        id: subtitleText
        width: Math.min(implicitWidth, 620, root.width > 0 ? root.width : 620)
        font: Typography.latin(15, Font.Normal)
        color: QM.sub
        wrapMode: Text.Wrap
        lineHeightMode: Text.FixedHeight
        lineHeight: metrics.height + 4
        FontMetrics { id: metrics; font: subtitleText.font }
    }
}
