import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// One missing permission: a warning sign, what is missing, and a button into the desktop's panel.
RowLayout {
    id: root
    property string message
    property string button
    // The panel DesktopSettings opens.
    property string subject

    spacing: 12

    SymbolImage {
        Layout.preferredWidth: 18
        Layout.preferredHeight: 18
        name: "exclamationmark.triangle"
        color: QM.saffron
    }
    Text {
        Layout.fillWidth: true
        text: root.message
        font: Typography.latin(13.5, Font.Normal)
        color: QM.ink
        wrapMode: Text.Wrap
    }
    Item { Layout.minimumWidth: 8 }
    QMSmallButton {
        text: root.button
        onClicked: DesktopSettings.open(root.subject)
    }
}
