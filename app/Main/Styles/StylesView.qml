import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The Styles page: the writing style for each kind of application and for single applications,
// beside a preview of the styles for the selected kind. Every change replaces the model's style
// policy whole, which stores it at once.
PageColumn {
    id: root
    body: layout
    property AppModel model
    property string previewing: "email"
    property bool choosingApp: false
    // The application just picked, whose row takes the focus once the picker has closed.
    property string pickedApp: ""

    readonly property alias choices: choices
    readonly property Applications applications: model ? model.applications : null

    StyleChoices {
        id: choices
        model: root.model
    }

    // Puts the keyboard on the style of the application's row, scrolled into view.
    function focusAppRow(appId, byKeyboard) {
        // A row just added or moved gets its place from the layout.
        rows.ensurePolished()
        appRows.itemAt(choices.apps.indexOf(appId)).styleControl.focusSelection(byKeyboard)
    }
    // The × of an application's row: the focus moves to the neighbouring row's ×, or to the button
    // that adds one when no row is left.
    function removeApp(appId, byKeyboard) {
        const index = choices.apps.indexOf(appId)
        choices.removeApp(appId)
        rows.ensurePolished()
        const neighbour = appRows.itemAt(Math.min(index, appRows.count - 1))
        Keyboard.give(neighbour ? neighbour.removeButton : addApp, byKeyboard)
    }

    ColumnLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: 48
        anchors.rightMargin: 48
        anchors.topMargin: 38
        anchors.bottomMargin: 30
        spacing: 22

        PageHeader {
            Layout.fillWidth: true
            title: "Styles"
            subtitle: "Choose how Quillmarsh writes in each kind of app. Undo is always one click away."
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 22

            // The list's clip reaches a ring's width past the rows' top and leading edges, so the
            // rings of the rows there are drawn whole.
            Flickable {
                id: scroller
                readonly property real ringRoom: 4
                objectName: "styleList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.minimumWidth: 0
                Layout.leftMargin: -ringRoom
                Layout.topMargin: -ringRoom
                clip: true
                contentWidth: width
                contentHeight: rows.implicitHeight + 8 + ringRoom
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: QMScrollBar {}

                ColumnLayout {
                    id: rows
                    Keys.onPressed: event => Keyboard.followArrows(rows, event, Window.activeFocusItem, Qt.Vertical)
                    x: scroller.ringRoom
                    y: scroller.ringRoom
                    width: scroller.width - 14 - scroller.ringRoom
                    spacing: 10

                    Repeater {
                        model: choices.categories
                        delegate: StyleCategoryRow {
                            required property var modelData
                            objectName: "category_" + modelData.id
                            Layout.fillWidth: true
                            title: modelData.title
                            examples: modelData.examples
                            symbol: modelData.symbol
                            style: choices.categoryStyles[modelData.id] || ""
                            selected: root.previewing === modelData.id
                            onSelect: root.previewing = modelData.id
                            onPicked: value => choices.setCategoryStyle(modelData.id, value)
                        }
                    }
                    Repeater {
                        id: appRows
                        model: choices.apps
                        delegate: StyleAppRow {
                            required property string modelData
                            objectName: "app_" + modelData
                            Layout.fillWidth: true
                            applications: root.applications
                            appId: modelData
                            style: choices.appStyles[modelData] || ""
                            onPicked: value => choices.setAppStyle(modelData, value)
                            onRemove: root.removeApp(modelData, removeButton.pressedByKeyboard)
                        }
                    }
                    // The note sits at the far end of the add row, or below the button when
                    // the column is too narrow for both on one line.
                    GridLayout {
                        id: addRow
                        readonly property bool oneLine: addApp.implicitWidth + columnSpacing + note.implicitWidth <= width
                        Layout.fillWidth: true
                        Layout.topMargin: 4
                        columns: oneLine ? 2 : 1
                        rowSpacing: 8
                        QMPressable {
                            id: addApp
                            focusRadius: 10
                            objectName: "addApp"
                            implicitWidth: addLabel.implicitWidth + 28
                            implicitHeight: 34
                            Accessible.name: "Set a style for one app"
                            onClicked: root.choosingApp = true
                            background: QMShape {
                                strokeColor: QM.dash
                                dashPattern: [4, 3]
                                radius: 10
                            }
                            contentItem: Item {
                                Row {
                                    id: addLabel
                                    anchors.centerIn: parent
                                    spacing: 6
                                    SymbolImage {
                                        anchors.verticalCenter: parent.verticalCenter
                                        width: 11
                                        height: 11
                                        name: "plus"
                                        color: QM.sub
                                    }
                                    QMText {
                                        text: "Set a style for one app"
                                        Accessible.ignored: true
                                        font: Typography.latin(13, Font.Medium)
                                        color: QM.sub
                                    }
                                }
                            }

                            Popup {
                                id: picker
                                objectName: "picker"
                                // Below the button when the window has room for it there, else above
                                // it; read each time it opens, wherever the list is scrolled to.
                                y: root.choosingApp && addApp.mapToItem(null, 0, addApp.height).y + 8 + height
                                   > addApp.Window.height ? -height - 8 : addApp.height + 8
                                width: 280
                                height: 300
                                margins: 8
                                padding: 14
                                visible: root.choosingApp
                                focus: true
                                closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
                                onOpened: contentItem.item.focusFirst(addApp.pressedByKeyboard)
                                onClosed: {
                                    root.choosingApp = false
                                    if (root.pickedApp === "") {
                                        addApp.takeBackFocus()
                                    } else {
                                        root.focusAppRow(root.pickedApp, addApp.pressedByKeyboard)
                                        root.pickedApp = ""
                                    }
                                }
                                background: PopupPanel {}
                                // Made anew each time it opens, with the applications styled by then.
                                contentItem: Loader {
                                    active: picker.visible
                                    // A reader hears the picker as a dialog named by its title.
                                    Accessible.role: Accessible.Dialog
                                    Accessible.name: "Choose an app that is open"
                                    sourceComponent: AppPicker {
                                        applications: root.applications
                                        existing: choices.apps
                                        onPick: appId => {
                                            choices.addApp(appId)
                                            root.pickedApp = appId
                                            root.choosingApp = false
                                        }
                                    }
                                }
                            }
                        }
                        QMText {
                            id: note
                            objectName: "terminalsNote"
                            Layout.fillWidth: true
                            Layout.minimumWidth: 0
                            horizontalAlignment: addRow.oneLine ? Text.AlignRight : Text.AlignLeft
                            wrapMode: Text.Wrap
                            text: "Terminals are never edited after you dictate."
                            font: Typography.latin(12.5, Font.Normal)
                            color: QM.faint
                        }
                    }
                }
            }
            StylePreview {
                objectName: "preview"
                Layout.preferredWidth: 350
                Layout.alignment: Qt.AlignTop
                current: choices.categoryStyles[root.previewing] || ""
                categoryTitle: {
                    const kind = choices.categories.find(c => c.id === root.previewing)
                    return kind ? kind.title : ""
                }
            }
        }
    }
}
