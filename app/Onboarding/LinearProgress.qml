import QtQuick
import Quillmarsh.Design

// A thin progress bar tinted ink: `value` from 0 to 1.
Item {
    id: root
    property real value: 0

    implicitHeight: 4
    Accessible.role: Accessible.ProgressBar
    Accessible.name: Math.round(value * 100) + " %"

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: QM.line
    }
    Rectangle {
        width: parent.width * Math.max(0, Math.min(1, root.value))
        height: parent.height
        radius: height / 2
        color: QM.ink
    }
}
