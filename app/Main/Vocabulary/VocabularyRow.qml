import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// One word of the Vocabulary page on one line, with its remove button at the end.
Item {
    id: root
    property string word
    readonly property bool persian: Script.isPersian(word)

    signal remove()

    readonly property alias removeButton: removeButton

    implicitHeight: 46

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 8
        spacing: 12
        QMText {
            Layout.fillWidth: true
            // A leading direction mark lays the line out in the word's own direction.
            text: (root.persian ? "\u200f" : "\u200e") + root.word
            font: root.persian ? Typography.persian(17) : Typography.latin(16, Font.DemiBold)
            color: QM.ink
            elide: Text.ElideRight
            horizontalAlignment: root.persian ? Text.AlignRight : Text.AlignLeft
        }
        RemoveButton {
            id: removeButton
            objectName: "removeWord"
            size: 28
            tooltip: "Remove"
            Accessible.name: "Remove " + root.word
            onClicked: root.remove()
        }
    }
    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 1
        color: QM.rule
    }
}
