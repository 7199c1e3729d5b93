import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The detail pane's word on the dictation's recording: shared (with its code and the way to
// withdraw it), kept (and offered for sharing), not kept because its save failed (and why),
// recordings off (offered to turn on), or none.
Item {
    id: root
    property DictationDetail detail
    property AppModel model
    readonly property bool shared: detail.panel === "shared"

    implicitHeight: (shared ? sharedColumn.implicitHeight : offer.implicitHeight) + 28

    QMShape {
        anchors.fill: parent
        fillColor: root.shared ? QM.warm : QM.soft
        strokeColor: root.shared ? QM.warmLine : QM.line
        radius: 12
    }

    ColumnLayout {
        id: sharedColumn
        visible: root.shared
        x: 14
        y: 14
        width: root.width - 28
        spacing: 10
        RowLayout {
            spacing: 8
            SymbolImage {
                name: "checkmark.circle.fill"
                implicitWidth: 14
                implicitHeight: 14
                color: QM.saffron
            }
            PageText {
                text: "Shared, thank you"
                font: Typography.latin(13.5, Font.DemiBold)
                color: QM.ink
            }
            Item { Layout.fillWidth: true }
            PageText {
                objectName: "clipCode"
                text: root.detail.clipCode
                font: {
                    const f = Typography.figures(13, Font.DemiBold)
                    f.letterSpacing = 1
                    return f
                }
                color: QM.amber
            }
        }
        QMSmallButton {
            objectName: "withdraw"
            text: root.detail.removing ? "Deleting\u2026" : "Delete from Quillmarsh"
            enabled: !root.detail.removing
            dangerous: true
            onClicked: root.detail.removeShared()
        }
        PageText {
            objectName: "removeProblem"
            visible: root.detail.removeProblem !== ""
            Layout.fillWidth: true
            text: root.detail.removeProblem
            wrapMode: TextEdit.Wrap
            font: Typography.latin(12.5, Font.Normal)
            color: QM.saffron
        }
    }

    RowLayout {
        id: offer
        visible: !root.shared
        x: 14
        y: 14
        width: root.width - 28
        spacing: 12
        SymbolImage {
            name: "waveform"
            implicitWidth: 15
            implicitHeight: 15
            color: root.detail.panel === "offer" ? QM.ink : QM.faint
        }
        PageText {
            id: body
            objectName: "panelText"
            Layout.fillWidth: true
            text: root.detail.panel === "offer"
                  ? "Was a word wrong? Send this clip to help improve Persian speech."
                  : root.detail.panel === "unsaved"
                    ? root.detail.recordingProblem
                    : root.detail.panel === "off"
                      ? `Want to share clips to improve Persian speech? Turn on recordings. New dictations are kept here for ${root.detail.keepDays} days.`
                      : root.model && root.model.historyEnabled
                        ? "There is no recording of this one: recordings are kept only for dictations made while it\u2019s on. Your next dictation can be shared from here."
                        : "Recordings need history to be on. Turn it on in Settings."
            font: Typography.latin(12.5, Font.Normal)
            color: QM.sub
            wrapMode: TextEdit.Wrap
            lineSpacing: 2
        }
        QMSmallButton {
            objectName: "panelButton"
            visible: root.detail.panel === "offer" || root.detail.panel === "off"
            text: root.detail.panel === "offer" ? "Share clip\u2026" : "Turn on"
            onClicked: root.detail.panel === "offer" ? root.detail.share() : root.detail.turnOnRecordings()
        }
    }
}
