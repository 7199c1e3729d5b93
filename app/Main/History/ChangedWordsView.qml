import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// The inserted text word by word, the words the style changed on a warm ground with a saffron
// underline; Persian flows from the right. Read out as the whole text.
WordFlow {
    id: root
    property var segments: []
    property string text
    readonly property bool persian: Script.isPersian(text)

    spacing: 5
    lineSpacing: persian ? 14 : 8
    rightToLeft: persian
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    Repeater {
        model: root.segments
        delegate: Item {
            required property var modelData
            implicitWidth: label.implicitWidth + (modelData.changed ? 10 : 0)
            implicitHeight: label.implicitHeight
            Accessible.ignored: true

            QMShape {
                anchors.fill: parent
                visible: modelData.changed
                fillColor: QM.warm
                radius: 4
            }
            Rectangle {
                visible: modelData.changed
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: 2
                radius: 1
                color: QM.saffronBright
            }
            Text {
                id: label
                anchors.centerIn: parent
                text: (root.persian ? "\u200f" : "") + modelData.text
                textFormat: Text.PlainText
                font: root.persian ? Typography.persian(18) : Typography.latin(16, Font.Normal)
                color: QM.ink
            }
        }
    }
}
