import QtQuick
import Quillmarsh.App
import Quillmarsh.Design

// A centred note in a dashed outline, where a list has nothing to show.
Item {
    id: root
    property string text

    implicitHeight: Math.max(64, label.implicitHeight + 24)

    Rectangle {
        anchors.fill: parent
        radius: 12
        color: QM.soft
    }
    Canvas {
        anchors.fill: parent
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()
        onPaint: {
            const context = getContext("2d")
            context.reset()
            context.strokeStyle = QM.dash
            context.lineWidth = 1
            context.setLineDash([5, 4])
            context.beginPath()
            context.roundedRect(0.5, 0.5, width - 1, height - 1, 12, 12)
            context.stroke()
        }
    }
    PageText {
        id: label
        anchors.centerIn: parent
        width: parent.width - 32
        horizontalAlignment: TextEdit.AlignHCenter
        text: root.text
        font: Typography.latin(13.5, Font.Normal)
        color: QM.sub
        wrapMode: TextEdit.Wrap
    }
}
