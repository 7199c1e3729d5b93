import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The mark and name, the five page rows, the account row and the Settings row at the foot.
// Every row writes the model's section; exactly the row of the current section looks selected.
Rectangle {
    id: root
    required property AppModel model

    color: QM.sidebar

    ColumnLayout {
        id: rows
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        anchors.bottomMargin: 14
        spacing: 0
        // Up and Down walk the rows.
        Keys.onPressed: event => Keyboard.followArrows(rows, event, Window.activeFocusItem, Qt.Vertical)

        RowLayout {
            Layout.leftMargin: 6
            Layout.rightMargin: 6
            Layout.topMargin: 58
            Layout.bottomMargin: 26
            spacing: 10

            Rectangle {
                implicitWidth: 34
                implicitHeight: 34
                radius: 17
                color: QM.ink
                clip: true
                OrbMark {
                    anchors.fill: parent
                    size: 34
                    mode: OrbState.Idle
                    // Drawn in paper, to show on the ink disc.
                    Component.onCompleted: view.light = true
                }
            }
            QMText {
                text: "Quillmarsh"
                font: Typography.latin(19, Font.DemiBold)
                color: QM.ink
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 3
            Repeater {
                model: ["home", "history", "styles", "snippets", "vocabulary"]
                NavRow {
                    required property string modelData
                    Layout.fillWidth: true
                    section: modelData
                    selected: root.model.section === modelData
                    onClicked: root.model.section = modelData
                }
            }
        }
        Item {
            Layout.fillHeight: true
            Layout.minimumHeight: 12
        }
        AccountRow {
            Layout.fillWidth: true
            Layout.bottomMargin: 2
            model: root.model
        }
        NavRow {
            Layout.fillWidth: true
            section: "settings"
            selected: root.model.section === "settings"
            onClicked: root.model.section = "settings"
        }
    }
}
