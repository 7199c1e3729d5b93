import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// The pages' pull-down menu, on a popup panel. Its items are Actions: each is drawn in
// "Commissioner" on the palette, the one under the pointer or the keyboard on a soft fill.
Menu {
    id: root
    padding: 5

    background: PopupPanel {
        implicitWidth: 140
    }
    delegate: MenuItem {
        id: item
        implicitWidth: label.implicitWidth + 24
        implicitHeight: 30
        contentItem: Text {
            id: label
            leftPadding: 12
            rightPadding: 12
            text: item.text
            textFormat: Text.PlainText
            font: Typography.latin(13.5, Font.Normal)
            color: QM.ink
            verticalAlignment: Text.AlignVCenter
        }
        background: QMShape {
            fillColor: item.highlighted ? QM.soft : "transparent"
            radius: 6
        }
        PointerCursor {}
    }
}
