import QtQuick
import Quillmarsh.Design

// The soft, outlined box a page's text field sits in. A field that takes no typing now looks it:
// greyed, as a disabled button is.
Item {
    property color outline: QM.line
    property real outlineWidth: 1

    QMShape {
        anchors.fill: parent
        fillColor: parent.enabled ? QM.soft : QM.line
        strokeColor: parent.outline
        strokeWidth: parent.outlineWidth
        radius: 10
    }
    FocusRing { controlRadius: 10 }
}
