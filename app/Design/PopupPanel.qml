import QtQuick
import Quillmarsh.Design

// What a popup or menu stands on: a white panel with a hairline and a soft shadow below it.
Item {
    QMShape {
        anchors.fill: parent
        anchors.margins: -margin
        fillColor: "white"
        strokeColor: QM.line
        radius: 10
        shadowColor: Qt.rgba(0, 0, 0, 0.12)
        shadowBlur: 12
        shadowOffsetY: 4
    }
}
