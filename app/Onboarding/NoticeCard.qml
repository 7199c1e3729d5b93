import QtQuick
import Quillmarsh.Design

// A full-width warm call-out: a title, a message shown in full, and the caller's buttons in a row.
Item {
    id: root
    property alias title: titleText.text
    property alias message: messageText.text
    default property alias actions: actionRow.data

    implicitHeight: column.implicitHeight + 32

    QMShape {
        anchors.fill: parent
        fillColor: QM.warm
        strokeColor: QM.warmLine
        radius: 12
    }
    Column {
        id: column
        x: 16
        y: 16
        width: root.width - 32
        spacing: 10

        QMText {
            id: titleText
            width: parent.width
            wrapMode: Text.Wrap
            font: Typography.latin(15, Font.DemiBold)
            color: QM.ink
        }
        QMText {
            id: messageText
            width: parent.width
            wrapMode: Text.Wrap
            font: Typography.latin(14, Font.Normal)
            color: QM.ink
            lineHeightMode: Text.FixedHeight
            lineHeight: metrics.height + 3
            FontMetrics { id: metrics; font: messageText.font }
        }
        Row {
            id: actionRow
            spacing: 10
        }
    }
}
