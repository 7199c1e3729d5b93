import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.App
import Quillmarsh.Design

// One dictation key to choose on the Settings page; the chosen one is inked.
QMPressable {
    id: root
    focusRadius: 10
    property bool selected: false

    implicitWidth: label.implicitWidth + 32
    implicitHeight: 38
    Accessible.selected: selected
    contentItem: Text {
        id: label
        text: root.text
        font: Typography.latin(14, root.selected ? Font.DemiBold : Font.Normal)
        color: root.selected ? QM.ink : QM.sub
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: QMShape {
        fillColor: root.selected ? QM.chip : "white"
        strokeColor: root.selected ? QM.ink : QM.line
        strokeWidth: root.selected ? 2 : 1
        radius: 10
    }
}
