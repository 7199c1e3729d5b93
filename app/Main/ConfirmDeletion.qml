import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// The question before something is deleted for good, alike wherever it is asked: modal over the
// window, its title and message, then the destructive choice and Cancel (or Escape). Either
// choice closes it. It always opens on Cancel, with its ring: a key pressed at once, or out of
// habit, deletes nothing.
Popup {
    id: root
    property string title
    property string message
    property string confirmText
    // The buttons' object names, for the pages' tests.
    property string confirmName: "confirmButton"
    property string cancelName: "cancelButton"
    signal confirmed()

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 400
    padding: 24
    modal: true
    // It takes the keyboard while open, so Escape reaches it.
    focus: true
    closePolicy: Popup.CloseOnEscape
    // Reopened, the popup gives the focus back to the button that had it, without its ring: the
    // focus leaves it first, so it comes to Cancel as from the keyboard.
    onOpened: {
        contentItem.forceActiveFocus()
        cancelButton.forceActiveFocus(Qt.TabFocusReason)
    }

    background: QMShape {
        fillColor: "white"
        strokeColor: QM.line
        radius: 14
    }
    // A reader hears the question as the dialog's name (Qt Quick's popup names none).
    contentItem: ColumnLayout {
        spacing: 10
        Accessible.role: Accessible.Dialog
        Accessible.name: root.title
        Accessible.description: root.message
        QMText {
            Layout.fillWidth: true
            text: root.title
            font: Typography.latin(16, Font.DemiBold)
            color: QM.ink
            wrapMode: Text.Wrap
        }
        QMText {
            Layout.fillWidth: true
            text: root.message
            font: Typography.latin(13, Font.Normal)
            color: QM.sub
            wrapMode: Text.Wrap
        }
        RowLayout {
            Layout.topMargin: 8
            spacing: 8
            Item { Layout.fillWidth: true }
            QMButton {
                objectName: root.confirmName
                primary: true
                destructive: true
                text: root.confirmText
                onClicked: {
                    root.close()
                    root.confirmed()
                }
            }
            QMButton {
                id: cancelButton
                objectName: root.cancelName
                text: "Cancel"
                onClicked: root.close()
            }
        }
    }
}
