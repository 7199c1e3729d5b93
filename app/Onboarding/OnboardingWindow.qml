import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// The first-run window: fixed at 880 × 620, light whatever the desktop's theme. The permission
// poll runs exactly while it shows.
Window {
    id: window
    required property OnboardingModel onboarding

    width: 880
    height: 620
    minimumWidth: 880
    maximumWidth: 880
    minimumHeight: 620
    maximumHeight: 620
    title: "Set up Quillmarsh"
    color: QM.paper
    flags: Qt.Window | Qt.CustomizeWindowHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint

    onVisibleChanged: visible ? onboarding.startPolling() : onboarding.stopPolling()

    QuitShortcut {}
    OnboardingView {
        anchors.fill: parent
        onboarding: window.onboarding
    }
}
