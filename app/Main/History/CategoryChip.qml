import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design
import Quillmarsh.App

// One of the History page's category chips: ink-filled while on, outlined while off.
QMPressable {
    id: root
    focusRadius: height / 2
    property string title
    property bool on: false

    implicitWidth: label.implicitWidth + 26
    implicitHeight: 30
    text: title
    Accessible.selected: on

    contentItem: Text {
        id: label
        text: root.title
        font: Typography.latin(13, root.on ? Font.Medium : Font.Normal)
        color: root.on ? QM.paper : QM.sub
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: QMShape {
        fillColor: root.on ? QM.ink : "transparent"
        strokeColor: root.on ? "transparent" : QM.line
        radius: height / 2
    }
}
