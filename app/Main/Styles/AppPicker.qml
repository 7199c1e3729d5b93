import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The open applications that may be given a style of their own, by name, read when the picker is
// made. It reports the chosen one; closing it is the page's business.
ColumnLayout {
    id: root
    property Applications applications
    property var existing: []
    readonly property var apps: applications ? applications.offered(existing) : []

    signal pick(string appId)

    // The first application takes the keyboard as the picker opens, so Down works at once.
    function focusFirst(byKeyboard) {
        const first = Keyboard.showRow(list, 0)
        if (first)
            Keyboard.give(first, byKeyboard)
    }

    spacing: 4

    QMText {
        Layout.bottomMargin: 4
        text: "Choose an app that is open"
        font: Typography.latin(12.5, Font.DemiBold)
        color: QM.faint
    }
    ListView {
        id: list
        objectName: "pickerList"
        Keys.onPressed: event => Keyboard.followArrows(list, event, Window.activeFocusItem, Qt.Vertical)
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        spacing: 2
        model: root.apps
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: QMScrollBar {}
        delegate: QMPressable {
            required property var modelData
            width: list.width
            height: 32
            focusOffset: 0
            Accessible.name: modelData.name
            onClicked: root.pick(modelData.id)
            background: Item {}
            contentItem: RowLayout {
                spacing: 10
                AppIcon {
                    Layout.leftMargin: 8
                    Layout.preferredWidth: 22
                    Layout.preferredHeight: 22
                    applications: root.applications
                    appId: modelData.id
                }
                QMText {
                    Layout.fillWidth: true
                    Layout.rightMargin: 8
                    text: modelData.name
                    font: Typography.latin(14, Font.Normal)
                    color: QM.ink
                    elide: Text.ElideRight
                }
            }
        }
    }
}
