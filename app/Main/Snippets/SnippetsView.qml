import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The Snippets page: the snippets in the store's order on the left, one of them (or a new one)
// in the editor on the right. Every change goes through the store; the list shows what it holds.
PageColumn {
    id: root
    body: layout
    property AppModel model

    readonly property alias editor: editor
    readonly property alias snippets: snippets

    SnippetEditor {
        id: editor
        store: root.model ? root.model.snippets : null
    }
    SnippetList {
        id: snippets
        store: root.model ? root.model.snippets : null
    }
    Component.onCompleted: editor.appear()

    // After a deletion the focus goes to the snippet the editor shows now, in the list, never to
    // Delete, which would delete that one too at another Return; to the phrase's field when no
    // snippet is left.
    function focusEditedSnippet(byKeyboard) {
        Keyboard.give(Keyboard.showRow(list, snippets.rowOf(editor.editing)) || triggerField, byKeyboard)
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
            title: "Snippets"
            subtitle: "Say a short phrase, get the long text, anywhere in a dictation. Addresses, signatures, templates."

            QMPressable {
                objectName: "newSnippet"
                focusRadius: 10
                implicitWidth: newLabel.implicitWidth + 32
                implicitHeight: 38
                Accessible.name: "New snippet"
                onClicked: editor.startNew()
                background: QMShape {
                    fillColor: QM.ink
                    radius: 10
                }
                contentItem: Item {
                    Row {
                        id: newLabel
                        anchors.centerIn: parent
                        spacing: 6
                        SymbolImage {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 12
                            height: 12
                            name: "plus"
                            color: QM.paper
                        }
                        QMText {
                            text: "New snippet"
                            Accessible.ignored: true
                            font: Typography.latin(13.5, Font.DemiBold)
                            color: QM.paper
                        }
                    }
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 22

            Item {
                Layout.fillWidth: true
                Layout.fillHeight: true

                EmptyListBox {
                    objectName: "emptySnippets"
                    visible: snippets.count === 0
                    width: parent.width
                    minimumHeight: 180
                    title: "No snippets yet"
                    hint: "Add one on the right. Say its phrase on its own and the text goes in instead."
                }
                ListView {
                    id: list
                    objectName: "snippetList"
                    Keys.onPressed: event => Keyboard.followArrows(list, event, Window.activeFocusItem, Qt.Vertical)
                    visible: snippets.count > 0
                    anchors.fill: parent
                    clip: true
                    spacing: 10
                    bottomMargin: 6
                    model: snippets
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: QMScrollBar {}

                    delegate: SnippetCard {
                        required property var model
                        readonly property string snippetId: model.snippetId

                        width: list.width - 14
                        trigger: model.trigger
                        text: model.text
                        selected: editor.editing === snippetId
                        onClicked: editor.load(snippetId)
                    }
                }
            }

            Item {
                objectName: "editorCard"
                Layout.preferredWidth: 372
                Layout.alignment: Qt.AlignTop
                implicitHeight: form.implicitHeight + 44

                QMShape {
                    anchors.fill: parent
                    anchors.margins: -margin
                    fillColor: "white"
                    strokeColor: QM.line
                    radius: 18
                    shadowColor: Qt.rgba(0, 0, 0, 0.06)
                    shadowBlur: 14
                    shadowOffsetY: 8
                }
                ColumnLayout {
                    id: form
                    x: 22
                    y: 22
                    width: parent.width - 44
                    spacing: 16

                    QMText {
                        objectName: "editorTitle"
                        text: editor.editing === "" ? "New snippet" : "Edit snippet"
                        font: Typography.latin(15, Font.DemiBold)
                        color: QM.ink
                    }
                    FieldGroup {
                        Layout.fillWidth: true
                        caption: "When I say"
                        NaturalTextField {
                            id: triggerField
                            objectName: "triggerField"
                            x: 12
                            width: parent.width - 24
                            height: 40
                            size: 15
                            accessibilityLabel: "When I say"
                            text: editor.trigger
                            onEdited: text => editor.trigger = text
                        }
                    }
                    FieldGroup {
                        Layout.fillWidth: true
                        caption: "Insert this text"
                        boxHeight: 112
                        ScrollView {
                            anchors.fill: parent
                            anchors.leftMargin: 8
                            anchors.rightMargin: 8
                            anchors.topMargin: 6
                            anchors.bottomMargin: 6
                            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
                            TextArea {
                                id: textField
                                objectName: "textField"
                                text: editor.text
                                textFormat: TextEdit.PlainText
                                wrapMode: TextEdit.Wrap
                                padding: 0
                                background: null
                                font: Typography.latin(15, Font.Normal)
                                color: QM.ink
                                selectByMouse: true
                                Accessible.name: "Insert this text"
                                Keys.onTabPressed: Keyboard.tabOut(textField, true)
                                Keys.onBacktabPressed: Keyboard.tabOut(textField, false)
                                onTextChanged: if (text !== editor.text) editor.text = text
                            }
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 14
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            QMText {
                                text: "Insert exactly as written"
                                font: Typography.latin(14, Font.DemiBold)
                                color: QM.ink
                            }
                            QMText {
                                Layout.fillWidth: true
                                text: "Skips Clean and Formal for this text."
                                font: Typography.latin(12.5, Font.Normal)
                                color: QM.faint
                                wrapMode: Text.Wrap
                            }
                        }
                        QMToggleStyle {
                            objectName: "exactSwitch"
                            label: "Insert exactly as written"
                            checked: editor.exact
                            onToggled: {
                                editor.exact = checked
                                checked = Qt.binding(() => editor.exact)
                            }
                        }
                    }
                    Item {
                        Layout.fillWidth: true
                        implicitHeight: tip.implicitHeight + 22
                        QMShape {
                            anchors.fill: parent
                            fillColor: QM.warm
                            strokeColor: QM.warmLine
                            radius: 11
                        }
                        QMText {
                            id: tip
                            x: 13
                            y: 11
                            width: parent.width - 26
                            text: "Say the phrase anywhere in a dictation and its text goes in, right where you said it. Choose a phrase you wouldn’t say in a normal sentence, so it isn’t triggered by accident."
                            font: Typography.latin(12.5, Font.Normal)
                            color: "#6B5A3A"
                            wrapMode: Text.Wrap
                            lineHeightMode: Text.FixedHeight
                            lineHeight: tipMetrics.height + 3
                            FontMetrics {
                                id: tipMetrics
                                font: tip.font
                            }
                        }
                    }
                    ProblemLine {
                        objectName: "snippetProblem"
                        Layout.fillWidth: true
                        problem: editor.problem
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 8
                        QMButton {
                            id: saveButton
                            objectName: "saveButton"
                            Layout.fillWidth: true
                            primary: true
                            text: editor.saved ? "Saved" : "Save"
                            onClicked: {
                                editor.save()
                                // A problem line above pushes the button down: it stays in view
                                // whole, with its ring.
                                if (visualFocus)
                                    Keyboard.revealPlaced(saveButton)
                            }
                        }
                        Item {
                            id: deleteBox
                            objectName: "deleteButton"
                            visible: editor.editing !== ""
                            implicitWidth: deleteLabel.implicitWidth + 32
                            implicitHeight: 38
                            QMShape {
                                anchors.fill: parent
                                strokeColor: QM.line
                                radius: 10
                            }
                            // Only the word takes clicks, not the box around it.
                            QMPressable {
                                id: deleteLabel
                                anchors.centerIn: parent
                                focusFrame: deleteBox
                                focusRadius: 10
                                text: "Delete"
                                dangerous: true
                                contentItem: Text {
                                    text: deleteLabel.text
                                    textFormat: Text.PlainText
                                    font: Typography.latin(13.5, Font.DemiBold)
                                    color: QM.danger
                                }
                                onClicked: {
                                    editor.remove(editor.editing)
                                    root.focusEditedSnippet(deleteLabel.pressedByKeyboard)
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}
