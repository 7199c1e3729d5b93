import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// A first dictation into the practice field. The field holds the keyboard focus, so the ordinary
// dictation flow pastes into it; the chips say what the text shows off.
ColumnLayout {
    id: root
    required property OnboardingModel onboarding
    readonly property alias practiceField: field
    spacing: 16

    StepTitle {
        Layout.fillWidth: true
        title: "Say this"
        subtitle: root.onboarding.dictated === ""
                  ? "Hold " + root.onboarding.keyName + " and read this, or say anything you like. Let go when you’re done."
                  : "That’s it. Hold " + root.onboarding.keyName + " again to try once more, or continue."
    }
    Item {
        Layout.fillWidth: true
        implicitHeight: sample.implicitHeight + 28
        QMShape {
            anchors.fill: parent
            fillColor: QM.chip
            radius: 12
        }
        QMText {
            id: sample
            objectName: "sampleSentence"
            x: 20
            y: 14
            width: parent.width - 40
            text: "«فردا ساعت ده یه meeting با تیم design داریم، می\u200Cخوام roadmap رو مرور کنیم»"
            font: Typography.persian(20)
            color: QM.ink
            wrapMode: Text.Wrap
            // The box reads right to left, so its leading edge is the right one.
            horizontalAlignment: Text.AlignLeft
            LayoutMirroring.enabled: true
        }
    }
    Item {
        objectName: "practiceBox"
        Layout.fillWidth: true
        Layout.preferredHeight: 110

        RTLTextField {
            id: field
            anchors.fill: parent
            anchors.margins: 4
            fontSize: 20
            focusOnAppear: true
            placeholder: placeholderText.visible ? placeholderText.text : ""
            text: root.onboarding.practice
            onEdited: (text) => root.onboarding.practice = text
        }
        Column {
            objectName: "loadingBlock"
            anchors.centerIn: parent
            visible: !root.onboarding.modelReady
            spacing: 8
            QMText {
                anchors.horizontalCenter: parent.horizontalCenter
                text: root.onboarding.secondsLeft === undefined ? "The speech model is getting ready…"
                      : "The speech model is almost ready · about " + root.onboarding.secondsLeft + " s"
                font: Typography.latin(14, Font.Normal)
                color: QM.sub
            }
            LinearProgress {
                width: 260
                value: root.onboarding.downloadFraction
            }
        }
        QMText {
            id: placeholderText
            objectName: "placeholder"
            anchors.centerIn: parent
            Accessible.ignored: true
            visible: root.onboarding.modelReady && root.onboarding.practice === ""
            text: "Your text appears here"
            font: Typography.latin(14, Font.Normal)
            color: QM.faint
        }
        DashedFrame {
            anchors.fill: parent
        }
        FocusRing { controlRadius: 12 }
    }
    Row {
        objectName: "notesRow"
        visible: root.onboarding.notes.length > 0
        spacing: 8
        Repeater {
            model: root.onboarding.notes
            Item {
                required property string modelData
                implicitWidth: chip.implicitWidth + 24
                implicitHeight: chip.implicitHeight + 12
                QMShape {
                    anchors.fill: parent
                    fillColor: QM.warm
                    strokeColor: QM.warmLine
                    radius: height / 2
                }
                Row {
                    id: chip
                    x: 12
                    y: 6
                    spacing: 6
                    Tick {
                        anchors.verticalCenter: parent.verticalCenter
                        size: 11
                    }
                    QMText {
                        anchors.verticalCenter: parent.verticalCenter
                        text: modelData
                        font: Typography.latin(13, Font.Normal)
                        color: QM.ink
                    }
                }
            }
        }
    }
    Item { Layout.fillHeight: true }
}
