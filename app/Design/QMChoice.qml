import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// One choice of a set of which one is chosen: the chosen one is chip-filled with a heavier ink
// outline and semibold text. Return on the chosen one is the window's, which moves on.
QMPressable {
    id: root
    property bool selected: false

    implicitWidth: label.implicitWidth + 32
    implicitHeight: 40
    opacity: down ? 0.8 : 1
    focusRadius: 10
    returnPresses: !selected

    Accessible.selected: selected

    contentItem: Text {
        id: label
        text: root.text
        textFormat: Text.PlainText
        font: Typography.latin(14, root.selected ? Font.DemiBold : Font.Normal)
        color: QM.ink
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: QMShape {
        fillColor: root.selected ? QM.chip : QM.paper
        strokeColor: root.selected ? QM.ink : QM.line
        strokeWidth: root.selected ? 2 : 1
        radius: 10
    }
}
