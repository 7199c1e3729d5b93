import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The History page: the kept dictations, newest first and grouped by day, filtered by a search
// and a category chip, beside the detail of the one selected. Built afresh each time it is shown.
Item {
    id: page
    property AppModel model
    property bool confirmClear: false
    readonly property alias results: results

    HistoryListModel {
        id: results
        appModel: page.model
    }
    Component.onCompleted: results.takeOverSelection()

    // Puts the keyboard on the row of the entry the detail shows, scrolled into view, or on the
    // search when nothing is listed: where a page link and a deletion leave the user.
    function focusStart(byKeyboard) {
        Keyboard.give(Keyboard.showRow(list, results.rowOf(results.current)) || search, byKeyboard)
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 48
        anchors.rightMargin: 48
        anchors.topMargin: 38
        anchors.bottomMargin: 30
        spacing: 18

        PageHeader {
            Layout.fillWidth: true
            title: "History"
            subtitle: "What you dictated, with what was changed on the way."

            RowLayout {
                spacing: 12
                Row {
                    spacing: 5
                    SymbolImage {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "lock"
                        implicitWidth: 12.5
                        implicitHeight: 12.5
                        color: QM.sub
                    }
                    PageText {
                        text: "Text only, kept on this computer"
                        font: Typography.latin(12.5, Font.Normal)
                        color: QM.sub
                    }
                }
                QMPressable {
                    id: clearButton
                    focusRadius: 9
                    objectName: "clearHistory"
                    enabled: !results.storeEmpty
                    implicitWidth: clearLabel.implicitWidth + 28
                    implicitHeight: 32
                    opacity: enabled ? 1 : 0.5
                    text: "Clear history"
                    dangerous: true
                    contentItem: Text {
                        id: clearLabel
                        text: clearButton.text
                        font: Typography.latin(13, Font.Medium)
                        color: QM.danger
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                    background: QMShape {
                        strokeColor: QM.line
                        radius: 9
                    }
                    onClicked: page.confirmClear = true
                }
            }
        }

        ProblemLine {
            objectName: "historyProblem"
            Layout.fillWidth: true
            problem: results.problem
        }

        RowLayout {
            spacing: 10
            Item {
                implicitWidth: 300
                implicitHeight: 36
                QMShape {
                    anchors.fill: parent
                    fillColor: QM.soft
                    strokeColor: QM.line
                    radius: 10
                }
                FocusRing { controlRadius: 10 }
                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 12
                    anchors.rightMargin: 12
                    spacing: 9
                    SymbolImage {
                        name: "magnifyingglass"
                        implicitWidth: 14
                        implicitHeight: 14
                        color: QM.faint
                    }
                    NaturalTextField {
                        id: search
                        objectName: "search"
                        Layout.fillWidth: true
                        placeholder: "Search your dictations"
                        accessibilityLabel: "Search your dictations"
                        size: 14
                        text: results.query
                        onEdited: text => results.query = text
                    }
                }
            }
            Row {
                id: chips
                spacing: 6
                Keys.onPressed: event => Keyboard.followArrows(chips, event, Window.activeFocusItem, Qt.Horizontal,
                                                               LayoutMirroring.enabled)
                Repeater {
                    model: [{ title: "All", category: "" }, { title: "Email", category: "email" },
                            { title: "Messaging", category: "messaging" }, { title: "Notes", category: "documents" },
                            { title: "Code", category: "code" }]
                    delegate: CategoryChip {
                        required property var modelData
                        objectName: "chip-" + modelData.title
                        title: modelData.title
                        group: "Category"
                        on: results.category === modelData.category
                        onClicked: results.category = modelData.category
                    }
                }
            }
            Item { Layout.fillWidth: true }
        }

        EmptyCard {
            objectName: "empty"
            visible: results.emptyTitle !== ""
            Layout.fillWidth: true
            title: results.emptyTitle
            message: results.emptyMessage
        }

        RowLayout {
            visible: results.emptyTitle === ""
            Layout.fillWidth: true
            Layout.fillHeight: true
            // Only the height left over: the detail's own height, which scrolls inside its card,
            // would push the row past the page's bottom margin.
            Layout.preferredHeight: 0
            spacing: 20

            ListView {
                id: list
                objectName: "list"
                Keys.onPressed: event => Keyboard.followArrows(list, event, Window.activeFocusItem, Qt.Vertical)
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                spacing: 3
                rightMargin: 14
                bottomMargin: 6
                model: results
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: QMScrollBar {}
                section.property: "day"
                section.delegate: PageText {
                    required property string section
                    readonly property bool first: list.count > 0 && section === results.firstDay
                    width: list.width - list.rightMargin
                    leftPadding: 4
                    rightPadding: 4
                    topPadding: first ? 2 : 14
                    bottomPadding: 5
                    text: section
                    // Said with the day's first row instead: a list view makes a heading after
                    // its row, and a reader would hear it after the row.
                    Accessible.ignored: true
                    horizontalAlignment: TextEdit.AlignLeft
                    // A Persian day in its own face, whose line holds its descenders, and untracked:
                    // spacing would pull its joined letters apart.
                    font: {
                        if (Script.isPersian(section))
                            return Typography.forText(section, 11.5, Font.DemiBold)
                        const f = Typography.latin(11.5, Font.DemiBold)
                        f.letterSpacing = 1.2
                        return f
                    }
                    color: QM.faint
                }
                delegate: HistoryRow {
                    width: list.width - list.rightMargin
                    selected: entryId === results.current
                    heading: ListView.section !== ListView.previousSection ? ListView.section : ""
                    onClicked: results.selected = entryId
                }
            }
            DetailPane {
                objectName: "detail"
                visible: results.current !== ""
                Layout.alignment: Qt.AlignTop
                Layout.maximumHeight: parent.height
                entryId: results.current
                model: page.model
                // The next entry shown takes the focus from the Delete button, which would delete
                // it too at another Return.
                onDeleted: byKeyboard => {
                    results.selected = ""
                    page.focusStart(byKeyboard)
                }
            }
        }
    }

    ConfirmDeletion {
        id: confirm
        objectName: "confirmClear"
        visible: page.confirmClear
        title: "Delete all your history?"
        message: "This deletes the text of every dictation kept on this computer. It can\u2019t be undone."
        confirmText: "Delete everything"
        confirmName: "deleteEverything"
        // The emptied page's search takes the keyboard from Clear history, which goes grey.
        onConfirmed: {
            results.clearHistory()
            page.focusStart(true)
        }
        onClosed: {
            page.confirmClear = false
            clearButton.takeBackFocus()
        }
    }
}
