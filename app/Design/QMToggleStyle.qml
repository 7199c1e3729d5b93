import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// An on/off switch: a capsule track (ink when on, dotOff when off) with a sliding paper knob.
// `label` is what assistive technologies read; the visible title sits beside it, in the page.
QMPressable {
    id: root
    property string label

    checkable: true
    implicitWidth: 42
    implicitHeight: 25
    padding: 0
    focusRadius: height / 2

    Accessible.role: Accessible.CheckBox
    Accessible.name: label
    Accessible.description: checked ? "On" : "Off"
    Accessible.checkable: true
    Accessible.checked: checked

    contentItem: Item {}
    background: Rectangle {
        radius: height / 2
        color: root.checked ? QM.ink : QM.dotOff
        Behavior on color { ColorAnimation { duration: 140; easing.type: Easing.OutQuad } }

        Rectangle {
            width: 19
            height: 19
            radius: 9.5
            y: 3
            x: root.checked ? parent.width - width - 3 : 3
            color: QM.paper
            Behavior on x { NumberAnimation { duration: 140; easing.type: Easing.OutQuad } }
        }
    }
}
