import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.App
import Quillmarsh.Design

// A text link of the pages ("Per app →"): amber, medium, no background. Its ring keeps clear
// of the letters.
QMPressable {
    id: root
    focusRadius: 4
    focusOffset: 5
    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight
    contentItem: Text {
        id: label
        text: root.text
        font: Typography.latin(12.5, Font.Medium)
        color: QM.amber
    }
    background: Item {}
}
