import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// One of the share window's two cards: what is sent, or what is not.
Item {
    id: root
    property string title
    property color tint
    property string symbol
    property color fill
    property color border
    property color itemColor
    property var items: []

    implicitHeight: column.implicitHeight + 28

    QMShape {
        anchors.fill: parent
        fillColor: root.fill
        strokeColor: root.border
        radius: 13
    }
    ColumnLayout {
        id: column
        x: 16
        y: 14
        width: root.width - 32
        spacing: 8
        ShareLabel {
            text: root.title
            color: root.tint
        }
        Repeater {
            model: root.items
            delegate: RowLayout {
                required property string modelData
                Layout.fillWidth: true
                spacing: 8
                SymbolImage {
                    Layout.alignment: Qt.AlignTop
                    Layout.topMargin: 4
                    name: root.symbol
                    implicitWidth: 10
                    implicitHeight: 10
                    color: root.tint
                }
                QMText {
                    Layout.fillWidth: true
                    text: modelData
                    wrapMode: Text.Wrap
                    font: Typography.latin(13, Font.Normal)
                    color: root.itemColor
                }
            }
        }
    }
}
