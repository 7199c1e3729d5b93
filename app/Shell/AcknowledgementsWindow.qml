import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quillmarsh.Design

// The third-party components with their licences, then the licence texts.
Window {
    id: window
    required property var components
    required property string notices

    width: 760
    height: 720
    minimumWidth: 480
    minimumHeight: 400
    title: "Acknowledgements"
    color: QM.paper

    QuitShortcut {}
    Shortcut {
        sequences: [StandardKey.Close, "Escape"]
        onActivated: window.close()
    }
    ScrollView {
        id: scroller
        objectName: "scroller"
        anchors.fill: parent
        contentWidth: availableWidth
        ScrollBar.vertical.policy: ScrollBar.AlwaysOn
        // Nothing here takes the keyboard, so the window's keys scroll it; a reader hears what it
        // holds.
        focus: true
        Accessible.role: Accessible.Pane
        Accessible.name: "Acknowledgements"
        Keys.onPressed: event => {
            const view = scroller.contentItem
            const page = view.height - 40
            const moves = { [Qt.Key_Down]: 40, [Qt.Key_Up]: -40, [Qt.Key_PageDown]: page, [Qt.Key_PageUp]: -page,
                            [Qt.Key_Space]: page, [Qt.Key_End]: view.contentHeight, [Qt.Key_Home]: -view.contentHeight }
            if (moves[event.key] === undefined)
                return
            view.contentY = Math.max(0, Math.min(view.contentHeight - view.height, view.contentY + moves[event.key]))
            event.accepted = true
        }

        ColumnLayout {
            width: scroller.availableWidth
            spacing: 18

            PageHeader {
                Layout.fillWidth: true
                Layout.topMargin: 38
                Layout.leftMargin: 48
                Layout.rightMargin: 48
                title: "Acknowledgements"
                subtitle: "Quillmarsh is built with these, under their licences."
            }
            QMCard {
                Layout.fillWidth: true
                Layout.leftMargin: 48
                Layout.rightMargin: 48
                implicitHeight: list.implicitHeight + 12
                padding: 0
                radius: 16
                fill: true
                ColumnLayout {
                    id: list
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.leftMargin: 20
                    anchors.rightMargin: 20
                    spacing: 0
                    Repeater {
                        model: window.components
                        SettingRow {
                            required property var modelData
                            required property int index
                            Layout.fillWidth: true
                            title: modelData.name
                            note: modelData.role
                            divider: index < window.components.length - 1
                            QMText {
                                text: modelData.licence
                                font: Typography.latin(12.5, Font.DemiBold)
                                color: QM.sub
                            }
                        }
                    }
                }
            }
            PageText {
                Layout.fillWidth: true
                Layout.leftMargin: 48
                Layout.rightMargin: 48
                Layout.bottomMargin: 36
                text: window.notices
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                textFormat: TextEdit.PlainText
                font.family: "monospace"
                font.pixelSize: 11
                color: QM.sub
            }
        }
    }
}
