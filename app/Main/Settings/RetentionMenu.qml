import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// How long history is kept: the current period with a chevron, opening a menu of the periods.
QMPressable {
    id: root
    focusRadius: 9
    property int days: 30
    signal chosen(int days)

    implicitWidth: row.implicitWidth + 24
    implicitHeight: 34
    opacity: enabled ? 1 : 0.6
    Accessible.role: Accessible.ComboBox
    Accessible.name: "Keep it for"
    Accessible.description: DisplayText.retentionLabel(days)
    contentItem: Item {
        RowLayout {
            id: row
            anchors.centerIn: parent
            spacing: 8
            QMText {
                text: DisplayText.retentionLabel(root.days)
                font: Typography.latin(13.5, Font.Normal)
                color: QM.ink
            }
            SymbolImage {
                Layout.preferredWidth: 10
                Layout.preferredHeight: 10
                name: "chevron.down"
                color: QM.faint
            }
        }
    }
    background: QMShape {
        fillColor: "transparent"
        strokeColor: QM.line
        radius: 9
    }
    onClicked: menu.open()

    QMMenu {
        id: menu
        objectName: "retentionMenu"
        onClosed: root.takeBackFocus()
        y: root.height + 4
        Action { readonly property bool current: root.days === 7; text: DisplayText.retentionLabel(7); onTriggered: root.chosen(7) }
        Action { readonly property bool current: root.days === 30; text: DisplayText.retentionLabel(30); onTriggered: root.chosen(30) }
        Action { readonly property bool current: root.days === 90; text: DisplayText.retentionLabel(90); onTriggered: root.chosen(90) }
        Action { readonly property bool current: root.days === 365; text: DisplayText.retentionLabel(365); onTriggered: root.chosen(365) }
    }
}
