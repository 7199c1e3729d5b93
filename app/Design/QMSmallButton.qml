import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// The small outlined text button of the pages. It has no pressed or disabled look of its own.
QMPressable {
    id: root

    implicitWidth: label.implicitWidth + 28
    implicitHeight: 32
    focusRadius: 9

    contentItem: Text {
        id: label
        text: root.text
        textFormat: Text.PlainText
        font: Typography.latin(13, Font.DemiBold)
        color: QM.ink
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: QMShape {
        fillColor: "white"
        strokeColor: QM.line
        radius: 9
    }
}
