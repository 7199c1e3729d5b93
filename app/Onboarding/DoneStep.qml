import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The end of the flow: where the application lives now, a picture of the tray with its mark (on
// a desktop without a tray: how to come back to it and how to quit it), and three tips. The
// footer's "Start dictating" finishes.
ColumnLayout {
    id: root
    required property OnboardingModel onboarding
    spacing: 22

    StepTitle {
        Layout.fillWidth: true
        title: root.onboarding.inTray ? "Quillmarsh is in your system tray" : "Quillmarsh keeps running in the background"
        subtitle: "Hold " + root.onboarding.keyName + " in any app and talk. "
                  + (root.onboarding.inTray ? "Click the mark in the tray for settings."
                                            : "Open Quillmarsh from your applications menu for settings, and press Ctrl+Q in its window to quit.")
    }
    Item {
        objectName: "menuBarPicture"
        visible: root.onboarding.inTray
        Layout.alignment: Qt.AlignHCenter
        implicitWidth: 520
        implicitHeight: 44
        Accessible.ignored: true

        QMShape {
            anchors.fill: parent
            fillColor: QM.menubar
            radius: 10
        }
        Row {
            anchors.right: parent.right
            anchors.rightMargin: 20
            anchors.verticalCenter: parent.verticalCenter
            spacing: 20
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "Wi-Fi"
                textFormat: Text.PlainText
                font: Typography.latin(14, Font.Normal)
                color: QM.sub
            }
            Item {
                anchors.verticalCenter: parent.verticalCenter
                implicitWidth: 22 + 16
                implicitHeight: 18 + 10
                QMShape {
                    objectName: "ring"
                    anchors.fill: parent
                    anchors.margins: -margin
                    strokeColor: QM.saffron
                    strokeWidth: 2
                    strokeClipped: false
                    radius: 8
                }
                TrayMark {
                    objectName: "trayMark"
                    anchors.centerIn: parent
                }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "Thu 14:32"
                textFormat: Text.PlainText
                font: Typography.latin(14, Font.Normal)
                color: QM.ink
            }
        }
    }
    RowLayout {
        Layout.fillWidth: true
        spacing: 12
        Tip {
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.alignment: Qt.AlignTop
            title: "Hands-free"
            message: "Tap the key twice, for anything long."
        }
        Tip {
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.alignment: Qt.AlignTop
            title: "Undo"
            message: "Right after inserting, the pill offers Undo."
        }
        Tip {
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.alignment: Qt.AlignTop
            title: "Your words"
            message: "English terms stay in Latin; Persian stays Persian."
        }
    }
    Item { Layout.fillHeight: true }
}
