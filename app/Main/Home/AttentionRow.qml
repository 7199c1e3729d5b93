import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// One thing the desktop doesn't allow: a warning sign, what is missing, and the button that helps
// (none where nothing here can).
RowLayout {
    id: root
    property string message
    property string button
    signal activated

    spacing: 12

    SymbolImage {
        Layout.preferredWidth: 18
        Layout.preferredHeight: 18
        name: "exclamationmark.triangle"
        color: QM.saffron
    }
    PageText {
        Layout.fillWidth: true
        text: root.message
        font: Typography.latin(13.5, Font.Normal)
        color: QM.ink
        wrapMode: TextEdit.Wrap
    }
    Item { Layout.minimumWidth: 8 }
    QMSmallButton {
        visible: root.button !== ""
        text: root.button
        onClicked: root.activated()
    }
}
