import QtQuick
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// One snippet of the Snippets page's list: the phrase the user says in a chip after "SAY", and the
// first three lines of the text it inserts. The selected card is the one open in the editor.
QMPressable {
    id: root
    objectName: "snippetCard"
    property string trigger
    property bool selected: false

    readonly property bool persianTrigger: Script.isPersian(trigger)

    implicitHeight: column.implicitHeight + 28
    focusRadius: 14
    focusOffset: 0
    Accessible.name: trigger

    QMShape {
        anchors.fill: parent
        anchors.margins: -margin
        fillColor: "white"
        strokeColor: root.selected ? QM.ink : QM.line
        strokeWidth: root.selected ? 1.5 : 1
        radius: 14
        shadowColor: root.selected ? Qt.rgba(0, 0, 0, 0.07) : "transparent"
        shadowBlur: 7
        shadowOffsetY: 3
    }
    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 14
        spacing: 9

        RowLayout {
            Layout.fillWidth: true
            spacing: 9
            CapsLabel { text: "SAY" }
            // A phrase longer than the card is wide ends in an ellipsis.
            Item {
                Layout.fillWidth: true
                Layout.maximumWidth: Math.ceil(implicitWidth)
                implicitWidth: chipText.implicitWidth + 20
                implicitHeight: chipText.implicitHeight + 4
                QMShape {
                    anchors.fill: parent
                    fillColor: root.selected ? QM.warm : QM.chip
                    strokeColor: root.selected ? QM.warmLine : "transparent"
                    radius: 7
                }
                QMText {
                    id: chipText
                    objectName: "cardTrigger"
                    anchors.centerIn: parent
                    width: Math.min(implicitWidth, parent.width - 20)
                    elide: Text.ElideRight
                    text: root.trigger
                    Accessible.ignored: true
                    font: root.persianTrigger ? Typography.persian(14.5) : Typography.latin(14, Font.DemiBold)
                    color: QM.ink
                }
            }
        }
        MixedText {
            objectName: "cardText"
            Layout.fillWidth: true
            text: root.text
            size: 14.5
            color: "#3A3D45"
            lineLimit: 3
            lineSpacing: 4
        }
    }
}
