import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The share window's content: the form (the recording, what was heard, what was said, what is and
// isn't sent, the consent) and, once the clip is sent, its code. Scrolls when the window is
// shorter than the content.
Item {
    id: root
    required property ShareClipSession session
    readonly property bool sent: session.phase === "sent"

    implicitWidth: 600
    implicitHeight: content.implicitHeight + 60
    focus: true
    Keys.onEscapePressed: close()

    // The window opens with the keyboard on its first control, showing its ring.
    property bool opened: false
    Window.onActiveChanged: {
        if (!Window.active || opened)
            return
        opened = true
        Keyboard.give(nextItemInFocusChain(true), true)
    }

    function close() {
        if (Window.window)
            Window.window.close()
    }

    QuitShortcut {}
    // A button that goes or waits (Send while sending) hands the keyboard on, and has it back.
    FocusKeeper { area: root }
    Rectangle {
        anchors.fill: parent
        color: QM.paper
    }

    Flickable {
        anchors.fill: parent
        contentHeight: content.implicitHeight + 60
        clip: true
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: QMScrollBar {}

        ColumnLayout {
            id: content
            x: 34
            y: 32
            width: 532
            spacing: 20

            ShareSentView {
                visible: root.sent
                Layout.fillWidth: true
                session: root.session
                onDone: root.close()
            }

            ColumnLayout {
                objectName: "form"
                visible: !root.sent
                Layout.fillWidth: true
                spacing: 20

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 6
                    QMText {
                        text: "Share this clip"
                        font: Typography.latin(26, Font.DemiBold)
                        color: QM.ink
                    }
                    Paragraph {
                        Layout.fillWidth: true
                        text: "Help Quillmarsh understand Persian better. You decide what goes, and you can see all of it first."
                        font: Typography.latin(14, Font.Normal)
                        color: QM.sub
                        extraSpacing: 3
                    }
                }

                SharePlayerRow {
                    Layout.fillWidth: true
                    session: root.session
                }
                Paragraph {
                    objectName: "playerProblem"
                    visible: text !== ""
                    Layout.fillWidth: true
                    text: root.session.player.problem
                    font: Typography.latin(13, Font.Normal)
                    color: QM.ink
                }

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 14
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 6
                        ShareLabel {
                            text: "WHAT QUILLMARSH HEARD"
                            color: QM.faint
                        }
                        Item {
                            Layout.fillWidth: true
                            implicitHeight: heard.implicitHeight + 22
                            QMShape {
                                anchors.fill: parent
                                fillColor: QM.soft
                                radius: 11
                            }
                            Paragraph {
                                id: heard
                                readonly property bool persian: Script.isPersian(root.session.heard)
                                x: 14
                                y: 11
                                // The column's fixed width, not the layout's pass: the box's
                                // height then follows the wrapped text from the start.
                                width: content.width - 28
                                text: (persian ? "\u200f" : "\u200e") + root.session.heard
                                font: Typography.forText(root.session.heard, 15.5, Font.Normal)
                                horizontalAlignment: persian ? Text.AlignRight : Text.AlignLeft
                                color: "#3A3D45"
                                extraSpacing: 8
                            }
                        }
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 6
                        RowLayout {
                            spacing: 6
                            ShareLabel {
                                text: "WHAT YOU ACTUALLY SAID"
                                color: QM.ink
                            }
                            QMText {
                                text: "\u00b7 fix anything that\u2019s wrong"
                                font: Typography.latin(12, Font.Normal)
                                color: QM.faint
                            }
                        }
                        Item {
                            Layout.fillWidth: true
                            implicitHeight: 84
                            QMShape {
                                anchors.fill: parent
                                fillColor: "white"
                                strokeColor: QM.ink
                                strokeWidth: 1.5
                                radius: 11
                            }
                            FocusRing { controlRadius: 11 }
                            ScrollView {
                                anchors.fill: parent
                                anchors.margins: 1
                                clip: true
                                TextArea {
                                    id: said
                                    objectName: "said"
                                    readonly property bool persian: Script.isPersian(text)
                                    text: root.session.said
                                    textFormat: TextEdit.PlainText
                                    wrapMode: TextEdit.Wrap
                                    background: null
                                    leftPadding: 10
                                    rightPadding: 10
                                    topPadding: 8
                                    bottomPadding: 8
                                    color: QM.ink
                                    font: persian ? Typography.persian(16.5) : Typography.latin(15.5, Font.Normal)
                                    horizontalAlignment: persian ? TextEdit.AlignRight : TextEdit.AlignLeft
                                    Accessible.name: "What you actually said"
                                    Keys.onTabPressed: Keyboard.tabOut(said, true)
                                    Keys.onBacktabPressed: Keyboard.tabOut(said, false)
                                    onTextChanged: if (text !== root.session.said) root.session.said = text
                                }
                            }
                        }
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 14
                    ShareList {
                        Layout.fillWidth: true
                        Layout.preferredWidth: 1
                        Layout.alignment: Qt.AlignTop
                        title: "SENT"
                        tint: QM.amber
                        symbol: "checkmark"
                        fill: QM.warm
                        border: QM.warmLine
                        itemColor: QM.ink
                        items: ["This recording", "The text you confirmed above"]
                    }
                    ShareList {
                        Layout.fillWidth: true
                        Layout.preferredWidth: 1
                        Layout.alignment: Qt.AlignTop
                        title: "NOT SENT"
                        tint: QM.faint
                        symbol: "xmark"
                        fill: QM.soft
                        border: QM.line
                        itemColor: QM.sub
                        items: ["Your name or email", "The app you were in, or any other dictation"]
                    }
                }

                QMPressable {
                    objectName: "consent"
                    Layout.fillWidth: true
                    // Checkable, so a reader hears a check box (Qt Quick takes a button's role from
                    // that, whatever role is declared).
                    checkable: true
                    checked: root.session.agreed
                    onToggled: root.session.agreed = checked
                    Accessible.name: root.session.summary
                    contentItem: RowLayout {
                        spacing: 12
                        SymbolImage {
                            Layout.alignment: Qt.AlignTop
                            name: root.session.agreed ? "checkmark.square.fill" : "square"
                            implicitWidth: 20
                            implicitHeight: 20
                            color: root.session.agreed ? QM.ink : QM.faint
                        }
                        Paragraph {
                            Layout.fillWidth: true
                            text: root.session.summary
                            Accessible.ignored: true
                            font: Typography.latin(13, Font.Normal)
                            color: "#3A3D45"
                            extraSpacing: 3
                        }
                    }
                    background: Item {}
                }

                Item {
                    visible: root.session.showDetails
                    Layout.fillWidth: true
                    implicitHeight: details.implicitHeight + 28
                    QMShape {
                        anchors.fill: parent
                        fillColor: QM.soft
                        radius: 11
                    }
                    Paragraph {
                        id: details
                        x: 14
                        y: 14
                        width: parent.width - 28
                        text: root.session.consentDetails
                        font: Typography.latin(12.5, Font.Normal)
                        color: QM.sub
                        extraSpacing: 3
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    visible: root.session.phase === "failed"
                    spacing: 8
                    SymbolImage {
                        Layout.alignment: Qt.AlignTop
                        name: "exclamationmark.triangle"
                        implicitWidth: 14
                        implicitHeight: 14
                        color: QM.saffron
                    }
                    QMText {
                        objectName: "failure"
                        Layout.fillWidth: true
                        text: root.session.failure
                        wrapMode: Text.Wrap
                        font: Typography.latin(13, Font.Normal)
                        color: QM.ink
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    QMPressable {
                        id: detailsSwitch
                        objectName: "detailsSwitch"
                        focusRadius: 4
                        text: root.session.showDetails ? "Hide the details" : "Read the details"
                        contentItem: Text {
                            text: detailsSwitch.text
                            font: Typography.latin(13.5, Font.Medium)
                            color: QM.sub
                        }
                        background: Item {}
                        onClicked: root.session.showDetails = !root.session.showDetails
                    }
                    Item { Layout.fillWidth: true }
                    QMButton {
                        objectName: "cancel"
                        text: "Cancel"
                        onClicked: root.close()
                    }
                    QMButton {
                        objectName: "send"
                        primary: true
                        text: root.session.phase === "sending" ? "Sending\u2026" : "Send clip"
                        enabled: root.session.canSend
                        onClicked: root.session.send()
                    }
                }
            }
        }
    }
}
