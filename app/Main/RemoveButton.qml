import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// The faint "xmark" of a row, clickable over its whole square, with a tooltip.
QMPressable {
    id: root
    focusRadius: 6
    dangerous: true
    property real size: 28
    property string tooltip

    implicitWidth: size
    implicitHeight: size
    ToolTip.visible: hovered && tooltip !== ""
    ToolTip.text: tooltip
    ToolTip.delay: 600

    background: Item {}
    contentItem: Item {
        SymbolImage {
            anchors.centerIn: parent
            width: 10
            height: 10
            name: "xmark"
            color: QM.faint
        }
    }
}
