import QtQuick
import QtQuick.Templates as T
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// How long history is kept: the current period with a chevron, opening a menu of the periods.
// Screen readers take a control's role from its type, so it is built as a combo box that presses
// as the pages' other controls do: the keyboard reaches it with Tab, and Space and Return open the
// menu while its ring shows.
T.ComboBox {
    id: root
    property int days: 30
    signal chosen(int days)
    // Whether the last press came from the keyboard, so the menu hands the focus back with the ring.
    property bool pressedByKeyboard: false

    implicitWidth: row.implicitWidth + 24
    implicitHeight: 34
    opacity: enabled ? 1 : 0.6
    Accessible.name: "Keep it for"
    Accessible.description: DisplayText.retentionLabel(days)
    displayText: DisplayText.retentionLabel(days)

    function takeBackFocus() {
        Keyboard.give(root, pressedByKeyboard)
    }
    onPressedChanged: if (pressed) pressedByKeyboard = visualFocus
    onVisualFocusChanged: if (visualFocus) Keyboard.reveal(root)
    // Space and Return open the menu while its ring shows, as they press the pages' buttons.
    Pressable.onKeyPressed: {
        pressedByKeyboard = true
        menu.open()
    }

    contentItem: Item {
        RowLayout {
            id: row
            anchors.centerIn: parent
            spacing: 8
            QMText {
                text: root.displayText
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
    popup: menu

    QMMenu {
        id: menu
        objectName: "retentionMenu"
        onClosed: root.takeBackFocus()
        y: root.height + 4
        T.Action { readonly property bool current: root.days === 7; text: DisplayText.retentionLabel(7); onTriggered: root.chosen(7) }
        T.Action { readonly property bool current: root.days === 30; text: DisplayText.retentionLabel(30); onTriggered: root.chosen(30) }
        T.Action { readonly property bool current: root.days === 90; text: DisplayText.retentionLabel(90); onTriggered: root.chosen(90) }
        T.Action { readonly property bool current: root.days === 365; text: DisplayText.retentionLabel(365); onTriggered: root.chosen(365) }
    }

    FocusRing {
        visible: root.visualFocus
        controlRadius: 9
    }
    PointerCursor {}
}
