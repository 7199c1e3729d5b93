import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// One grant on the permissions card: its icon, what it is for, and either "Allowed", the button
// that asks for it, or, where nothing here can give it, a word on why.
Item {
    id: root
    property string icon
    property string name
    property string why
    property bool granted: false
    property string buttonTitle
    // Empty where no button can help; `missing` then says why.
    property string missing
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
            QMText {
                text: root.name
                font: Typography.latin(15, Font.DemiBold)
                color: QM.ink
            }
            QMText {
                text: root.why
                font: Typography.latin(13, Font.Normal)
                color: QM.sub
            }
        }
        Item { Layout.fillWidth: true }
        Check {
            visible: root.granted
            text: "Allowed"
        }
        QMText {
            visible: !root.granted && root.buttonTitle === ""
            text: root.missing
            font: Typography.latin(13, Font.Normal)
            color: QM.sub
        }
        QMButton {
            visible: !root.granted && root.buttonTitle !== ""
            primary: true
            text: root.buttonTitle
            onClicked: root.activated()
        }
    }
}
