import QtQuick
import Quillmarsh.Design

// A tick with a short confirmation: shown only when the thing it confirms holds.
Row {
    property alias text: label.text
    spacing: 8

    Tick {
        anchors.verticalCenter: parent.verticalCenter
        size: 15
    }
    QMText {
        id: label
        anchors.verticalCenter: parent.verticalCenter
        font: Typography.latin(15, Font.DemiBold)
        color: QM.ink
    }
}
