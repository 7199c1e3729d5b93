import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// One grant on the permissions card: its icon, what it is for, and either "Allowed" or the
// button that asks for it.
Item {
    id: root
    property string icon
    property string name
    property string why
    property bool granted: false
    property string buttonTitle
    signal activated

    implicitHeight: row.implicitHeight + 32

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 18
        anchors.rightMargin: 18
        anchors.topMargin: 16
        anchors.bottomMargin: 16
        spacing: 16

        SymbolChip {
            name: root.icon
            size: 40
        }
        Column {
            spacing: 2
            Text {
                text: root.name
                textFormat: Text.PlainText
                font: Typography.latin(15, Font.DemiBold)
                color: QM.ink
            }
            Text {
                text: root.why
                textFormat: Text.PlainText
                font: Typography.latin(13, Font.Normal)
                color: QM.sub
            }
        }
        Item { Layout.fillWidth: true }
        Check {
            visible: root.granted
            text: "Allowed"
        }
        QMButton {
            visible: !root.granted
            primary: true
            text: root.buttonTitle
            onClicked: root.activated()
        }
    }
}
