import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// The microphone and the accessibility switch, on one card; the model's poll turns a microphone
// plugged in or a switch turned on into "Allowed" without a click. Continue waits only for typing.
Column {
    id: root
    required property OnboardingModel onboarding
    readonly property bool micGranted: onboarding.mic === 3
    spacing: 18

    StepTitle {
        width: root.width
        title: "Two permissions"
        subtitle: "Quillmarsh only listens while your key is held, and your voice never leaves this computer."
    }
    Item {
        width: root.width
        height: rows.implicitHeight

        Column {
            id: rows
            width: parent.width
            PermissionRow {
                objectName: "microphoneRow"
                width: parent.width
                icon: "mic"
                name: "Microphone"
                why: "To hear you"
                granted: root.micGranted
                buttonTitle: root.onboarding.micSettings ? "Open Settings" : ""
                missing: "Not found"
                onActivated: root.onboarding.requestMicrophone()
            }
            Rectangle {
                width: parent.width
                height: 1
                color: QM.line
            }
            PermissionRow {
                objectName: "accessibilityRow"
                width: parent.width
                icon: "keyboard"
                name: "Accessibility"
                why: "To improve text in place and notice password fields"
                granted: root.onboarding.axTrusted
                buttonTitle: root.onboarding.axAvailable ? "Open Settings" : ""
                missing: "Not on this desktop"
                onActivated: root.onboarding.openAccessibility()
            }
        }
        QMShape {
            anchors.fill: parent
            strokeColor: QM.line
            radius: 12
        }
    }
    QMText {
        objectName: "microphoneNotice"
        visible: !root.micGranted
        width: root.width
        text: "No microphone was found. Plug one in and Quillmarsh notices it within a second."
        wrapMode: Text.Wrap
        font: Typography.latin(13, Font.Normal)
        color: QM.sub
    }
    QMText {
        objectName: "typingNotice"
        visible: !root.onboarding.canType
        width: root.width
        text: "This desktop doesn’t let Quillmarsh type into other apps (its X server has no XTest). Dictation needs an X11 session."
        wrapMode: Text.Wrap
        font: Typography.latin(13, Font.Normal)
        color: QM.sub
    }
}
