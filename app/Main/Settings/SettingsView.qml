import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// Settings: every setting in five cards. Each control writes the page model and, where the
// application has to act, calls its action; the page keeps only whether opening at login failed.
// The microphone's name follows devices as they come and go while the page shows.
ScrollView {
    id: root
    required property AppModel model
    property bool loginProblem: false

    DefaultMicrophone { id: microphone }

    contentWidth: availableWidth
    contentHeight: page.implicitHeight + 38 + 36
    ScrollBar.vertical.policy: ScrollBar.AlwaysOn

    ColumnLayout {
        id: page
        x: 48
        y: 38
        width: root.availableWidth - 96
        spacing: 22

        PageHeader {
            Layout.fillWidth: true
            title: "Settings"
            subtitle: "How Quillmarsh listens, what it keeps, and how it starts."
        }

        // Positioners, not layouts: each card is as tall as its rows once their notes have wrapped.
        Row {
            Layout.fillWidth: true
            spacing: 20

            Column {
                width: (parent.width - parent.spacing) / 2
                spacing: 18

                SettingsCard {
                    title: "Dictation"
                    Item {
                        width: parent.width
                        height: keySection.implicitHeight + 24
                    ColumnLayout {
                        id: keySection
                        y: 12
                        width: parent.width
                        spacing: 11
                        ColumnLayout {
                            spacing: 2
                            PageText {
                                text: "Dictation key"
                                font: Typography.latin(14.5, Font.DemiBold)
                                color: QM.ink
                            }
                            PageText {
                                text: "Hold it to talk, let go to insert."
                                font: Typography.latin(12.5, Font.Normal)
                                color: QM.faint
                            }
                        }
                        // The chips go on a second line when the card is too narrow for three.
                        Flow {
                            id: keyChoices
                            Layout.fillWidth: true
                            spacing: 8
                            Keys.onPressed: event => Keyboard.followArrows(keyChoices, event, Window.activeFocusItem,
                                                                           Qt.Horizontal, LayoutMirroring.enabled)
                            Repeater {
                                model: ["fn", "rightOption", "rightCommand"]
                                KeyChip {
                                    required property string modelData
                                    objectName: "key-" + modelData
                                    text: DisplayText.keyName(modelData)
                                    group: "Dictation key"
                                    selected: root.model.dictationKey === modelData
                                    onClicked: {
                                        root.model.dictationKey = modelData
                                        root.model.actions.setKey(modelData)
                                    }
                                }
                            }
                        }
                    }
                    }
                    Rectangle {
                        width: parent.width
                        implicitHeight: 1
                        color: QM.rule
                    }
                    SettingRow {
                        width: parent.width
                        title: "Hands-free"
                        note: "Tap the key twice to keep listening, then tap once to insert. Esc cancels."
                        divider: true
                    }
                    SettingRow {
                        objectName: "microphoneRow"
                        width: parent.width
                        title: "Microphone"
                        note: "Using " + microphone.name
                        QMSmallButton {
                            text: "Sound settings"
                            onClicked: DesktopSettings.openSound()
                        }
                    }
                }

                SettingsCard {
                    title: "Speech"
                    SettingRow {
                        objectName: "engineMode"
                        visible: root.model.serverConfigured
                        width: parent.width
                        title: "Where it runs"
                        note: "Automatic uses our server first, this computer as the backup."
                        divider: true
                        QMSegmented {
                            compact: true
                            group: "Where it runs"
                            options: [{ value: "automatic", title: "Automatic" },
                                      { value: "cloud", title: "Server" },
                                      { value: "local", title: "This computer" }]
                            selection: root.model.engineMode
                            onPicked: value => {
                                root.model.engineMode = value
                                root.model.actions.setEngineMode(value)
                            }
                        }
                    }
                    SettingRow {
                        width: parent.width
                        title: "Languages"
                        divider: true
                        PageText {
                            text: root.model.languages
                            font: Typography.latin(13.5, Font.DemiBold)
                            color: QM.ink
                        }
                    }
                    SettingRow {
                        objectName: "modelPackage"
                        width: parent.width
                        title: "Model on this computer"
                        note: root.model.modelLoading ? "Loading the model… this takes a few seconds."
                                                      : "Quick shows text sooner; Accurate is more precise."
                        RowLayout {
                            spacing: 10
                            BusyIndicator {
                                visible: root.model.modelLoading
                                running: visible
                                implicitWidth: 18
                                implicitHeight: 18
                            }
                            QMSegmented {
                                compact: true
                                group: "Model on this computer"
                                enabled: !root.model.modelLoading
                                opacity: enabled ? 1 : 0.6
                                options: [{ value: "320ms", title: "Quick" },
                                          { value: "1120ms", title: "Accurate" }]
                                selection: root.model.modelPackage
                                onPicked: value => {
                                    if (root.model.actions.setModelPackage(value))
                                        root.model.modelPackage = value
                                }
                            }
                        }
                    }
                }

                SettingsCard {
                    title: "Text"
                    SettingRow {
                        width: parent.width
                        title: "Add punctuation"
                        note: root.model.punctuationAvailable ? "Persian punctuation, on this computer."
                                                              : "Getting the punctuation model…"
                        divider: true
                        QMToggleStyle {
                            objectName: "punctuation"
                            label: "Add punctuation"
                            enabled: root.model.punctuationAvailable
                            checked: root.model.punctuation
                            onToggled: {
                                root.model.punctuation = checked
                                root.model.actions.setPunctuation(checked)
                            }
                        }
                    }
                    SettingRow {
                        width: parent.width
                        title: "Improve after inserting"
                        note: "Swaps in the better text if you haven’t touched anything."
                        QMToggleStyle {
                            objectName: "improveAfterInserting"
                            label: "Improve after inserting"
                            checked: root.model.improveAfterInserting
                            onToggled: root.model.improveAfterInserting = checked
                        }
                    }
                }
            }

            Column {
                width: (parent.width - parent.spacing) / 2
                spacing: 18

                SettingsCard {
                    title: "Privacy"
                    SettingRow {
                        width: parent.width
                        title: "Keep history on this computer"
                        note: "Text only. Never uploaded, never audio."
                        divider: true
                        QMToggleStyle {
                            objectName: "historyEnabled"
                            label: "Keep history on this computer"
                            checked: root.model.historyEnabled
                            onToggled: root.model.historyEnabled = checked
                        }
                    }
                    SettingRow {
                        width: parent.width
                        title: "Keep it for"
                        note: "Older entries are deleted."
                        divider: true
                        RetentionMenu {
                            objectName: "retention"
                            enabled: root.model.historyEnabled
                            days: root.model.historyDays
                            onChosen: days => root.model.historyDays = days
                        }
                    }
                    SettingRow {
                        objectName: "keepClipsRow"
                        width: parent.width
                        title: "Help improve Persian speech"
                        note: root.model.historyEnabled
                              ? "Keep each recording on this computer for 7 days so you can choose to share some. Nothing is ever sent on its own. Turning this off deletes the recordings."
                              : "Needs history to be on."
                        QMToggleStyle {
                            objectName: "keepClips"
                            label: "Help improve Persian speech"
                            enabled: root.model.historyEnabled
                            checked: root.model.keepClips
                            onToggled: root.model.keepClips = checked
                        }
                    }
                }

                SettingsCard {
                    title: "General"
                    SettingRow {
                        objectName: "openAtLoginRow"
                        width: parent.width
                        title: "Open at login"
                        note: root.loginProblem
                              ? "The autostart entry couldn’t be saved. Check that your settings folder can be written, then try again."
                              : "Ready when you start your computer."
                        divider: true
                        QMToggleStyle {
                            objectName: "openAtLogin"
                            label: "Open at login"
                            checked: root.model.opensAtLogin
                            onToggled: {
                                root.loginProblem = !root.model.setOpensAtLogin(checked)
                                // Show the entry's real state again once the click is over.
                                Qt.callLater(() => checked = Qt.binding(() => root.model.opensAtLogin))
                            }
                        }
                    }
                    SettingRow {
                        width: parent.width
                        title: DisplayText.version()
                        note: "Updates arrive with each new version."
                        divider: true
                    }
                    ActionRow {
                        width: parent.width
                        text: "Send feedback…"
                        onClicked: FeedbackMail.open()
                    }
                    ActionRow {
                        width: parent.width
                        text: "Acknowledgements"
                        onClicked: root.model.actions.showAcknowledgements()
                    }
                    ActionRow {
                        width: parent.width
                        text: "Show setup again…"
                        onClicked: root.model.actions.showOnboarding()
                    }
                }
            }
        }
    }
}
