import QtQuick
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// One recent dictation: the kind of app and the time, the text on one line, and its style when a
// style changed it. `entry` is one of HomeModel's recent rows.
QMPressable {
    id: root
    property var entry

    objectName: "recent-" + entry.id
    implicitHeight: 50
    focusOffset: 0
    Accessible.name: entry.time + ", " + entry.text

    Rectangle {
        width: parent.width
        height: 1
        color: QM.rule
    }
    RowLayout {
        anchors.fill: parent
        spacing: 16
        RowLayout {
            Layout.preferredWidth: 118
            Layout.maximumWidth: 118
            Layout.fillWidth: false
            spacing: 9
            SymbolChip {
                name: root.entry.symbol
                size: 24
            }
            QMText {
                Layout.fillWidth: true
                text: root.entry.time
                Accessible.ignored: true
                font: Typography.latin(12.5, Font.Normal)
                color: QM.sub
            }
        }
        MixedText {
            Layout.fillWidth: true
            text: root.entry.text
            size: 15
            lineLimit: 1
            heardOnItsOwn: false
        }
        StyleTag {
            visible: root.entry.style !== ""
            style: root.entry.style || "as_spoken"
        }
    }
}
