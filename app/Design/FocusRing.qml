import QtQuick
import Quillmarsh.Design

// The ring that shows which control the keyboard is on: a 2-point saffron outline following the
// control's corners. Put it inside the control; `offset` draws it that far outside the edge, or
// inside it when negative (for rows of a list that clips). By default it shows while the focus is
// anywhere inside its parent, as around the box of a text field; buttons show it only for a focus
// the keyboard gave them.
Rectangle {
    property real offset: 3
    // How far it stands out to either side, where that differs: clear of a row's text that starts
    // at its edge.
    property real sideOffset: offset
    property real controlRadius: 8

    objectName: "focusRing"
    visible: Window.activeFocusItem !== null && Keyboard.isInside(Window.activeFocusItem, parent)
    anchors.fill: parent
    anchors.topMargin: -offset
    anchors.bottomMargin: -offset
    anchors.leftMargin: -sideOffset
    anchors.rightMargin: -sideOffset
    z: 10
    radius: Math.max(0, controlRadius + offset)
    color: "transparent"
    border.color: QM.saffron
    border.width: 2
}
