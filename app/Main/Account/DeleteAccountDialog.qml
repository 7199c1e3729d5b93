import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// The confirmation before the account is deleted: modal over the window, with the destructive
// choice and Cancel (or Escape); either choice closes it.
Popup {
    id: root
    signal confirmed()

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 400
    padding: 24
    modal: true
    // It takes the keyboard while open, so Escape reaches it.
    focus: true
    closePolicy: Popup.CloseOnEscape

    background: QMShape {
        fillColor: "white"
        strokeColor: QM.line
        radius: 14
    }
    contentItem: ColumnLayout {
        spacing: 10
        Text {
            text: "Delete your account?"
            font: Typography.latin(16, Font.DemiBold)
            color: QM.ink
        }
        Text {
            Layout.fillWidth: true
            text: "This deletes your account and the usage we hold for it, and signs you out. Your history, vocabulary and snippets stay on this computer. It can\u2019t be undone."
            font: Typography.latin(13, Font.Normal)
            color: QM.sub
            wrapMode: Text.Wrap
        }
        RowLayout {
            Layout.topMargin: 8
            spacing: 8
            Item { Layout.fillWidth: true }
            QMButton {
                objectName: "cancelDeleteButton"
                text: "Cancel"
                onClicked: root.close()
            }
            QMButton {
                objectName: "confirmDeleteButton"
                primary: true
                destructive: true
                text: "Delete account"
                onClicked: {
                    root.close()
                    root.confirmed()
                }
            }
        }
    }
}
