import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// Choosing the dictation key, with its key cap and whether it is ready to use.
Column {
    id: root
    required property OnboardingModel onboarding
    readonly property string keyName: onboarding.keyName
    spacing: 18

    // Chooses the key from a notice's button, which goes with the notice: the keyboard moves on
    // to the key now chosen.
    function useKey(key, byKeyboard) {
        onboarding.chooseKey(key)
        Keyboard.give(keyButtons.itemAt(keyButtons.model.indexOf(key)), byKeyboard)
    }

    StepTitle {
        width: root.width
        title: "Your dictation key"
        subtitle: "Hold it and talk. Let go, and the text is typed where your cursor is."
    }
    Row {
        width: root.width
        spacing: 24

        KeyCap {
            anchors.verticalCenter: parent.verticalCenter
            label: root.onboarding.keyCap
            caption: "right"
        }
        // The first case that applies wins.
        Loader {
            objectName: "keyStatus"
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 132 - 24
            sourceComponent: root.onboarding.takenToSwitchLayouts && root.onboarding.alternativeKey !== "" ? switchesKeyboards
                             : root.onboarding.takenBy !== "" ? keyBusy
                             : root.onboarding.key !== "fn" ? keyChosen : keyFree
        }
    }
    Column {
        spacing: 8

        QMText {
            text: "Or pick a different key"
            font: Typography.latin(13, Font.DemiBold)
            color: QM.sub
        }
        Row {
            id: keyChoices
            spacing: 8
            Keys.onPressed: event => Keyboard.followArrows(keyChoices, event, Window.activeFocusItem, Qt.Horizontal,
                                                           LayoutMirroring.enabled)
            Repeater {
                id: keyButtons
                model: ["fn", "rightOption", "rightCommand"]
                QMChoice {
                    required property string modelData
                    objectName: "choice-" + modelData
                    text: "Hold " + root.onboarding.keyNameOf(modelData)
                    selected: root.onboarding.key === modelData
                    onClicked: root.onboarding.chooseKey(modelData)
                }
            }
        }
        QMText {
            text: "Whichever key you pick, tapping it twice turns on hands-free."
            font: Typography.latin(13, Font.Normal)
            color: QM.sub
        }
    }

    Component {
        id: keyChosen
        Check { text: root.keyName + " is your dictation key" }
    }
    Component {
        id: keyFree
        Check { text: root.keyName + " is free for Quillmarsh" }
    }
    Component {
        id: switchesKeyboards
        NoticeCard {
            id: switchCard
            readonly property string alternativeName: root.onboarding.keyNameOf(root.onboarding.alternativeKey)
            title: "You use " + root.keyName + " to switch keyboards"
            message: "Keep it that way and dictate with " + alternativeName + " instead. Or turn off the keyboard option “"
                     + root.onboarding.takenBy + "” in Keyboard settings or in /etc/default/keyboard."
            QMButton {
                primary: true
                text: "Use " + switchCard.alternativeName
                onClicked: root.useKey(root.onboarding.alternativeKey, visualFocus)
            }
            QMButton {
                text: "Open Keyboard Settings"
                onClicked: root.onboarding.openKeyboardSettings()
            }
        }
    }
    Component {
        id: keyBusy
        NoticeCard {
            title: "Your desktop is using " + root.keyName + " right now"
            message: "Pressing it " + (root.onboarding.takenToSwitchLayouts ? "switches the keyboard layout" : "starts a compose sequence")
                     + " (the keyboard option “" + root.onboarding.takenBy + "”). Turn that option off in Keyboard settings or in "
                     + "/etc/default/keyboard. This step ticks by itself when you do."
            QMButton {
                primary: true
                text: "Open Keyboard Settings"
                onClicked: root.onboarding.openKeyboardSettings()
            }
        }
    }
}
