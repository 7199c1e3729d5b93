import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// The pages' pull-down menu, on a popup panel. Its items are Actions: each is drawn in
// "Commissioner" on the palette, the one under the pointer or the keyboard on a soft fill. An
// Action with a `current` property is a choice: the current one has a check mark before it, and
// screen readers hear the choices as checkable, the current one checked. A menu of choices opens
// on the current one, so the arrows start from it and Return keeps it.
Menu {
    id: root
    padding: 5

    onOpened: {
        for (let i = 0; i < count; ++i) {
            if (actionAt(i)?.current === true) {
                currentIndex = i
                return
            }
        }
    }

    background: PopupPanel {
        implicitWidth: 140
    }
    delegate: MenuItem {
        id: item
        readonly property bool current: !!(action && action.current)
        Accessible.checkable: !!action && action.current !== undefined
        Accessible.checked: current
        implicitWidth: label.implicitWidth + 24
        implicitHeight: 30
        indicator: SymbolImage {
            x: 10
            y: (item.height - height) / 2
            width: 11
            height: 11
            visible: item.current
            name: "checkmark"
            color: QM.ink
        }
        contentItem: Text {
            id: label
            leftPadding: 28
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
