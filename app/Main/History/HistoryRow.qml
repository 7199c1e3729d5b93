import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// One dictation in the History list: its application, time and style over the first two lines of
// what was inserted. The selected row is white with an ink outline and a soft shadow.
QMPressable {
    id: root
    objectName: "historyRow"
    required property string entryId
    required property string appName
    required property string time
    required property string entryText
    required property string style
    required property string symbol
    property bool selected: false
    // The day's heading shown above the row, when it is the day's first: said before the row, as
    // the eye reads it, where Tab, which passes the heading by, comes.
    property string heading


    implicitHeight: column.implicitHeight + 26
    focusRadius: 13
    focusOffset: 0
    Accessible.name: (heading === "" ? "" : heading + ", ") + appName + ", " + time + ", " + entryText
    Accessible.selected: selected

    background: QMShape {
        anchors.fill: parent
        anchors.margins: -margin
        fillColor: root.selected ? "white" : "transparent"
        strokeColor: root.selected ? QM.ink : "transparent"
        strokeWidth: 1.5
        radius: 13
        shadowColor: root.selected ? Qt.rgba(0, 0, 0, 0.07) : "transparent"
        shadowBlur: 7
        shadowOffsetY: 3
    }
    contentItem: Item {}

    ColumnLayout {
        id: column
        x: 15
        y: 13
        width: root.width - 30
        spacing: 7
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            SymbolImage {
                name: root.symbol
                implicitWidth: 12
                implicitHeight: 12
                color: QM.ink
            }
            // A long application name gives way to the time and the tag.
            QMText {
                Layout.fillWidth: true
                Layout.maximumWidth: Math.ceil(implicitWidth)
                elide: Text.ElideRight
                text: root.appName
                Accessible.ignored: true
                font: Typography.latin(12.5, Font.DemiBold)
                color: QM.ink
            }
            QMText {
                text: DisplayText.separator()
                Accessible.ignored: true
                color: QM.sub
            }
            QMText {
                text: root.time
                Accessible.ignored: true
                font: Typography.latin(12.5, Font.Normal)
                color: QM.sub
            }
            Item { Layout.fillWidth: true }
            StyleTag {
                visible: root.style !== ""
                style: root.style || "as_spoken"
            }
        }
        MixedText {
            Layout.fillWidth: true
            text: root.entryText
            size: 15
            lineLimit: 2
            heardOnItsOwn: false
        }
    }
}
