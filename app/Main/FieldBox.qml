import QtQuick
import Quillmarsh.Design

// The soft, outlined box a page's text field sits in.
Item {
    property color outline: QM.line
    property real outlineWidth: 1

    QMShape {
        anchors.fill: parent
        fillColor: QM.soft
        strokeColor: parent.outline
        strokeWidth: parent.outlineWidth
        radius: 10
    }
    FocusRing { controlRadius: 10 }
}
