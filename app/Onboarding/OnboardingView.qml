import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The window's whole content: the header with the step dots, the current step, and the footer
// with the download status, Back and the primary button.
Rectangle {
    id: root
    required property OnboardingModel onboarding
    readonly property int step: onboarding.step
    readonly property alias primaryButton: primary

    // The model's steps, by their raw values.
    enum Step { Welcome, Key, Permissions, TryIt, Done }

    implicitWidth: 880
    implicitHeight: 620
    color: QM.paper
    focus: true

    // Return belongs to a control whose focus shows: a field types its new line and a button the
    // keyboard is on presses itself, and neither lets the key get here. Otherwise (no focus, a
    // focus the mouse left behind, a key just chosen) Return presses the primary button.
    function pressReturn() {
        if (primary.enabled)
            onboarding.next()
    }
    Keys.onReturnPressed: pressReturn()
    Keys.onEnterPressed: pressReturn()
    // A button that goes with what it asked for ("Use right Alt", "Open Settings") hands the
    // keyboard on.
    FocusKeeper { area: root }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.preferredHeight: 44
            Layout.topMargin: 34
            Layout.leftMargin: 48
            Layout.rightMargin: 48

            Item {
                objectName: "orbBadge"
                visible: root.step !== OnboardingView.Welcome
                implicitWidth: 44
                implicitHeight: 44
                QMShape {
                    anchors.fill: parent
                    fillColor: QM.ink
                    radius: 11
                }
                OrbMark {
                    size: 44
                    mode: OrbState.Idle
                    view.light: true // drawn on ink
                }
            }
            Item { Layout.fillWidth: true }
            Row {
                objectName: "stepDots"
                spacing: 8
                Accessible.role: Accessible.StaticText
                Accessible.name: "Step " + (root.step + 1) + " of 5"
                Repeater {
                    model: 5
                    Rectangle {
                        required property int index
                        width: index === root.step ? 28 : 8
                        height: 6
                        radius: 3
                        color: index <= root.step ? QM.ink : QM.dotOff
                        Accessible.ignored: true
                    }
                }
            }
        }

        Loader {
            objectName: "stepBody"
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.topMargin: 18
            Layout.leftMargin: 48
            Layout.rightMargin: 48
            sourceComponent: [welcomeStep, keyStep, permissionsStep, tryStep, doneStep][root.step]
        }

        Item {
            Layout.fillWidth: true
            Layout.preferredHeight: 40 + 36

            Rectangle {
                width: parent.width
                height: 1
                color: QM.line
            }
            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 48
                anchors.rightMargin: 48
                anchors.topMargin: 18
                anchors.bottomMargin: 18
                spacing: 12

                LinearProgress {
                    visible: !onboarding.downloadsFinished
                    Layout.preferredWidth: 72
                    value: onboarding.downloadFraction
                }
                Tick {
                    visible: onboarding.downloadsFinished
                    size: 13
                }
                QMText {
                    objectName: "downloadLine"
                    text: onboarding.downloadLine
                    font: Typography.latin(13, Font.Normal)
                    color: QM.sub
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                QMButton {
                    objectName: "backButton"
                    visible: root.step !== OnboardingView.Welcome
                    text: "Back"
                    onClicked: onboarding.back()
                }
                QMButton {
                    id: primary
                    objectName: "primaryButton"
                    primary: true
                    text: root.step === OnboardingView.Welcome ? "Get started"
                          : root.step === OnboardingView.Done ? "Start dictating" : "Continue"
                    enabled: root.step === OnboardingView.Key ? onboarding.keyReady
                             : root.step === OnboardingView.Permissions ? onboarding.permissionsReady : true
                    onClicked: onboarding.next()
                }
            }
        }
    }

    Component { id: welcomeStep; WelcomeStep {} }
    Component { id: keyStep; KeyStep { onboarding: root.onboarding } }
    Component { id: permissionsStep; PermissionsStep { onboarding: root.onboarding } }
    Component { id: tryStep; TryStep { onboarding: root.onboarding } }
    Component { id: doneStep; DoneStep { onboarding: root.onboarding } }
}
