import QtQuick
import Quillmarsh.Design

// A soft hint box that fills the width offered: a title over a message shown in full.
Item {
    id: root
    property alias title: titleText.text
    property alias message: messageText.text

    implicitHeight: column.implicitHeight + 28

    QMShape {
        anchors.fill: parent
        fillColor: QM.soft
        radius: 12
    }
    Column {
        id: column
        x: 14
        y: 14
        width: root.width - 28
        spacing: 4

        QMText {
            id: titleText
            width: parent.width
            wrapMode: Text.Wrap
            font: Typography.latin(14, Font.DemiBold)
            color: QM.ink
        }
        QMText {
            id: messageText
            width: parent.width
            wrapMode: Text.Wrap
            font: Typography.latin(13, Font.Normal)
            color: QM.sub
        }
    }
}
