import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// A Settings row that does something when clicked: its title and an arrow, under a rule. Its ring
// lies on the rows' edges above and below and stands clear of the title and the arrow, in the
// card's margin.
QMPressable {
    id: root
    focusOffset: 0
    focusSideOffset: 10
    implicitHeight: 52
    contentItem: RowLayout {
        QMText {
            text: root.text
            Accessible.ignored: true
            font: Typography.latin(14.5, Font.DemiBold)
            color: QM.ink
        }
        Item { Layout.fillWidth: true }
        QMText {
            text: "→"
            Accessible.ignored: true
            font: Typography.latin(14.5, Font.Normal)
            color: QM.faint
        }
    }
    background: Rectangle {
        color: "transparent"
        Rectangle {
            width: parent.width
            height: 1
            color: QM.rule
        }
    }
}
