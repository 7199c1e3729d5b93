import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// The two grants dictation needs, on one card; the model's poll turns a grant made in the
// desktop's settings into "Allowed" without a click.
Column {
    id: root
    required property OnboardingModel onboarding
    readonly property bool micGranted: onboarding.mic === 3
    readonly property bool micRefused: onboarding.mic === 1 || onboarding.mic === 2
    spacing: 18

    StepTitle {
        width: root.width
        title: "Two permissions"
        subtitle: "Your desktop asks once. Quillmarsh only listens while your key is held, and your voice never leaves this computer."
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
                buttonTitle: root.micRefused ? "Open Settings" : "Allow"
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
                why: "To see your dictation key and type into the app you’re using"
                granted: root.onboarding.axTrusted
                buttonTitle: "Open Settings"
                onActivated: root.onboarding.openAccessibility()
            }
        }
        QMShape {
            anchors.fill: parent
            strokeColor: QM.line
            radius: 12
        }
    }
    Text {
        objectName: "microphoneNotice"
        visible: root.micRefused
        text: "The microphone is off for Quillmarsh. Turn it on in Settings › Sound › Input."
        textFormat: Text.PlainText
        font: Typography.latin(13, Font.Normal)
        color: QM.sub
    }
}
