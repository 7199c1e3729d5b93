import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// Home: the greeting and speech status, what the desktop still has to allow, how to dictate with
// the chosen key, the week's use beside the everyday writing style, and the newest dictations.
ScrollView {
    id: root
    required property AppModel model
    readonly property alias home: home

    contentWidth: availableWidth
    contentHeight: page.implicitHeight + 38 + 36
    ScrollBar.vertical.policy: ScrollBar.AlwaysOn

    HomeModel {
        id: home
        model: root.model
        displayName: root.model.session ? (root.model.session.displayName ?? "") : ""
    }

    ColumnLayout {
        id: page
        x: 48
        y: 38
        width: root.availableWidth - 96
        spacing: 22

        PageHeader {
            Layout.fillWidth: true
            title: home.greeting
            subtitle: home.today

            // A long status (an error naming a file) ends in an ellipsis rather than crowd the greeting.
            Rectangle {
                objectName: "status"
                Layout.fillWidth: true
                Layout.maximumWidth: Math.ceil(implicitWidth)
                implicitWidth: statusRow.implicitWidth + 22
                implicitHeight: 30
                radius: 15
                color: QM.soft
                border.color: QM.line
                border.width: 1
                RowLayout {
                    id: statusRow
                    anchors.verticalCenter: parent.verticalCenter
                    x: 10
                    width: parent.width - 22
                    spacing: 8
                    Rectangle {
                        implicitWidth: 7
                        implicitHeight: 7
                        radius: 3.5
                        color: root.model.speechReady ? QM.saffron : QM.faint
                    }
                    QMText {
                        Layout.fillWidth: true
                        text: root.model.speechStatus
                        font: Typography.latin(12.5, Font.Normal)
                        color: QM.sub
                        elide: Text.ElideRight
                    }
                }
            }
        }

        ProblemLine {
            objectName: "recordsProblem"
            Layout.fillWidth: true
            problem: home.notice
        }

        // What keeps dictation from working: the speech model, and what the desktop doesn't allow
        // as the first-run window finds it.
        Rectangle {
            objectName: "attention"
            visible: root.model.speechProblem !== "" || !home.micAllowed || !home.canType || home.accessibilityOff
            Layout.fillWidth: true
            implicitHeight: notices.implicitHeight + 32
            radius: 14
            color: QM.warm
            border.color: QM.warmLine
            border.width: 1
            ColumnLayout {
                id: notices
                x: 16
                y: 16
                width: parent.width - 32
                spacing: 10
                AttentionRow {
                    objectName: "modelNotice"
                    visible: root.model.speechProblem !== ""
                    Layout.fillWidth: true
                    message: root.model.speechProblem
                    button: "Try again"
                    onActivated: root.model.actions.retryModel()
                }
                AttentionRow {
                    objectName: "micNotice"
                    visible: !home.micAllowed
                    Layout.fillWidth: true
                    message: "Quillmarsh can’t hear you yet: no microphone was found. Plug one in."
                    button: home.micSettings ? "Open Microphone settings" : ""
                    onActivated: home.openMicrophoneSettings()
                }
                AttentionRow {
                    objectName: "typingNotice"
                    visible: !home.canType
                    Layout.fillWidth: true
                    message: "Quillmarsh can’t type into other apps here: the X server has no XTest. Dictation needs an X11 session."
                }
                AttentionRow {
                    objectName: "accessibilityNotice"
                    visible: home.accessibilityOff
                    Layout.fillWidth: true
                    message: "Turn on Accessibility so Quillmarsh can improve text in place and notice password fields."
                    button: "Open Accessibility settings"
                    onActivated: home.openAccessibility()
                }
            }
        }

        // How to dictate.
        InkPanel {
            Layout.fillWidth: true
            Layout.preferredHeight: 188
            radius: 20
            RowLayout {
                x: 40
                width: parent.width - 80
                height: 188
                spacing: 0
                ColumnLayout {
                    Layout.alignment: Qt.AlignVCenter
                    spacing: 12
                    PageText {
                        text: "HOLD TO TALK"
                        font: Typography.tracked(Typography.latin(12, Font.DemiBold), 1.6)
                        color: QM.saffronBright
                    }
                    RowLayout {
                        spacing: 14
                        PageText {
                            text: "Hold"
                            font: Typography.tracked(Typography.latin(36, Font.DemiBold), -0.6)
                            color: QM.paper
                        }
                        Rectangle {
                            objectName: "keyCap"
                            implicitWidth: keyLabel.implicitWidth + 32
                            implicitHeight: 42
                            radius: 11
                            color: "#23252B"
                            border.color: "#3A3C44"
                            border.width: 1
                            PageText {
                                id: keyLabel
                                anchors.centerIn: parent
                                text: DisplayText.keyName(root.model.dictationKey)
                                font: Typography.latin(17, Font.DemiBold)
                                color: QM.paper
                            }
                        }
                        PageText {
                            text: "and talk."
                            font: Typography.tracked(Typography.latin(36, Font.DemiBold), -0.6)
                            color: QM.paper
                        }
                    }
                    PageText {
                        Layout.maximumWidth: 470
                        Layout.fillWidth: true
                        text: root.model.languages + ", in any app. Let go and it types the words where your cursor is. Tap twice to keep listening hands-free."
                        font: Typography.latin(15, Font.Normal)
                        color: QM.onInk
                        wrapMode: TextEdit.Wrap
                        lineSpacing: 3
                    }
                }
                Item {
                    Layout.fillWidth: true
                    Layout.minimumWidth: 16
                }
                Rectangle {
                    Layout.rightMargin: 6
                    implicitWidth: 148
                    implicitHeight: 148
                    radius: 74
                    color: "transparent"
                    clip: true
                    OrbMark {
                        id: heroOrb
                        anchors.fill: parent
                        size: 148
                        mode: OrbState.Idle
                        Component.onCompleted: view.light = true
                    }
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 18

            QMCard {
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                Layout.preferredHeight: Math.max(weekCard.implicitHeight, styleCard.implicitHeight) + 44
                padding: 22
                radius: 16
                fill: true
                WeekCard {
                    id: weekCard
                    width: parent.width
                    week: home.week
                }
            }
            QMCard {
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                Layout.preferredHeight: Math.max(weekCard.implicitHeight, styleCard.implicitHeight) + 44
                padding: 22
                radius: 16
                fill: true
                ColumnLayout {
                    id: styleCard
                    width: parent.width
                    spacing: 14
                    RowLayout {
                        Layout.fillWidth: true
                        PageText {
                            text: "Writing style"
                            font: Typography.latin(15, Font.DemiBold)
                            color: QM.ink
                        }
                        Item { Layout.fillWidth: true }
                        LinkButton {
                            text: "Per app →"
                            onClicked: root.model.section = "styles"
                        }
                    }
                    PageText {
                        text: "For messaging, documents and other apps"
                        font: Typography.latin(12.5, Font.Normal)
                        color: QM.sub
                    }
                    QMSegmented {
                        objectName: "everydayStyle"
                        group: "Writing style"
                        Layout.fillWidth: true
                        options: [{ value: "as_spoken", title: "As spoken" },
                                  { value: "clean", title: "Clean" },
                                  { value: "formal", title: "Formal" }]
                        selection: home.everydayStyle
                        onPicked: value => home.setEverydayStyle(value)
                    }
                    PageText {
                        Layout.fillWidth: true
                        text: home.styleNote
                        font: Typography.latin(12.5, Font.Normal)
                        color: QM.sub
                        wrapMode: TextEdit.Wrap
                        lineSpacing: 2
                    }
                }
            }
        }

        ColumnLayout {
            id: recent
            Layout.fillWidth: true
            spacing: 0
            Keys.onPressed: event => Keyboard.followArrows(recent, event, Window.activeFocusItem, Qt.Vertical)
            RowLayout {
                Layout.fillWidth: true
                Layout.bottomMargin: 10
                PageText {
                    text: "Recent"
                    font: Typography.latin(15, Font.DemiBold)
                    color: QM.ink
                }
                Item { Layout.fillWidth: true }
                LinkButton {
                    objectName: "allHistory"
                    visible: home.hasHistory
                    text: "All history →"
                    onClicked: root.model.section = "history"
                }
            }
            DashedNote {
                objectName: "historyNote"
                visible: !root.model.historyEnabled || !home.hasHistory
                Layout.fillWidth: true
                text: !root.model.historyEnabled
                      ? "History is off. Turn it on in Settings to see your dictations here."
                      : "Your dictations will appear here, on this computer only."
            }
            Repeater {
                model: root.model.historyEnabled ? home.recent : []
                RecentRow {
                    required property var modelData
                    Layout.fillWidth: true
                    entry: modelData
                    onClicked: {
                        root.model.selectedHistory = modelData.id
                        root.model.section = "history"
                    }
                }
            }
        }
    }
}
