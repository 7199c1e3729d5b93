import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The Vocabulary page: an add field over the user's words, newest first, each with a remove
// button. The store cleans, checks and keeps the words; a refused word stays in the field.
Item {
    id: root
    property AppModel model

    readonly property alias editor: editor
    readonly property alias words: words

    VocabularyEditor {
        id: editor
        store: root.model ? root.model.vocabulary : null
    }
    VocabularyList {
        id: words
        store: root.model ? root.model.vocabulary : null
    }

    // The × of a word: the focus moves to the neighbouring word's ×, or to the field when no word
    // is left.
    function removeWord(row, byKeyboard) {
        const index = row.index
        editor.remove(row.entryId)
        const neighbour = Keyboard.showRow(list, Math.min(index, words.count - 1))
        Keyboard.give(neighbour ? neighbour.removeButton : wordField, byKeyboard)
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 48
        anchors.rightMargin: 48
        anchors.topMargin: 38
        anchors.bottomMargin: 30
        spacing: 20

        PageHeader {
            Layout.fillWidth: true
            title: "Vocabulary"
            subtitle: "Names, products and English terms, written the way you want to see them. Matched on this computer."
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            FieldBox {
                Layout.fillWidth: true
                Layout.preferredHeight: 40
                outline: editor.problem === "" ? QM.line : QM.saffron
                outlineWidth: editor.problem === "" ? 1 : 2
                NaturalTextField {
                    id: wordField
                    objectName: "wordField"
                    x: 14
                    width: parent.width - 28
                    height: parent.height
                    size: 15
                    placeholder: "Add a word or phrase"
                    accessibilityLabel: "New vocabulary word"
                    text: editor.draft
                    onEdited: text => editor.draft = text
                    onSubmitted: editor.add()
                }
            }
            QMButton {
                objectName: "addButton"
                primary: true
                text: "Add"
                enabled: editor.canAdd
                onClicked: editor.add()
            }
        }
        ProblemLine {
            objectName: "wordProblem"
            Layout.fillWidth: true
            problem: editor.problem
        }
        CapsLabel {
            objectName: "wordCount"
            size: 11.5
            text: words.countTitle
        }
        EmptyListBox {
            objectName: "emptyWords"
            visible: words.count === 0
            Layout.fillWidth: true
            minimumHeight: 150
            title: "No words yet"
            hint: "Try a name you often say, like Grafana, Kubernetes or a colleague’s name."
        }
        Item {
            visible: words.count > 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            QMShape {
                anchors.fill: parent
                fillColor: "white"
                strokeColor: QM.line
                radius: 14
            }
            ListView {
                id: list
                objectName: "wordList"
                Keys.onPressed: event => Keyboard.followArrows(list, event, Window.activeFocusItem, Qt.Vertical)
                anchors.fill: parent
                clip: true
                model: words
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: QMScrollBar {}
                // A removed word fades out; the words below close up. Adding is not animated.
                remove: Transition {
                    NumberAnimation { property: "opacity"; to: 0; duration: 150; easing.type: Easing.OutQuad }
                }
                removeDisplaced: Transition {
                    NumberAnimation { property: "y"; duration: 150; easing.type: Easing.OutQuad }
                }
                delegate: VocabularyRow {
                    id: row
                    required property int index
                    required property string entryId
                    required property string text
                    width: list.width
                    word: text
                    onRemove: root.removeWord(row, removeButton.pressedByKeyboard)
                    // A word just added, shown first, comes first for Tab and the arrows too.
                    Component.onCompleted: FocusOrder.placeRow(row, list, index)
                    ListView.onAdd: FocusOrder.placeRow(row, list, index)
                }
            }
        }
        // Keeps the footnote at the foot of the page while the empty box stands in for the list.
        Item {
            visible: words.count === 0
            Layout.fillHeight: true
        }
        QMText {
            text: "Applies to your next dictation. Your words stay on this computer."
            font: Typography.latin(12, Font.Normal)
            color: QM.faint
        }
    }
}
