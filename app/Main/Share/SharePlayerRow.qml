import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The recording in the share window: a round play/pause button, the waveform coloured up to where
// playing has got, and the elapsed and total time.
Item {
    id: root
    property ShareClipSession session
    readonly property ClipPlayer player: session.player

    implicitHeight: Math.max(row.implicitHeight, 40) + 24

    QMShape {
        anchors.fill: parent
        fillColor: QM.soft
        strokeColor: QM.line
        radius: 14
    }
    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 16
        anchors.topMargin: 12
        anchors.bottomMargin: 12
        spacing: 14

        QMPressable {
            objectName: "play"
            focusRadius: 20
            implicitWidth: 40
            implicitHeight: 40
            Accessible.name: root.player.playing ? "Pause" : "Play the clip"
            background: Rectangle {
                radius: 20
                color: QM.ink
            }
            contentItem: Item {
                SymbolImage {
                    anchors.centerIn: parent
                    name: root.player.playing ? "pause.fill" : "play.fill"
                    implicitWidth: 15
                    implicitHeight: 15
                    color: QM.paper
                }
            }
            onClicked: root.player.toggle()
        }
        Item {
            Layout.fillWidth: true
            implicitHeight: 34
            Accessible.ignored: true
            Row {
                anchors.centerIn: parent
                spacing: 2.5
                Repeater {
                    model: root.session.bars
                    delegate: Rectangle {
                        required property real modelData
                        required property int index
                        readonly property bool played: index / Math.max(root.session.bars.length, 1) < root.player.fraction
                        anchors.verticalCenter: parent.verticalCenter
                        width: 3
                        height: Math.max(modelData * 30, 4)
                        radius: 1.5
                        color: played ? QM.saffron : QM.dash
                    }
                }
            }
        }
        QMText {
            objectName: "clock"
            text: DisplayText.duration(root.player.fraction * root.player.duration) + " / "
                  + DisplayText.duration(root.player.duration)
            font: Typography.figures(13, Font.Normal)
            color: QM.sub
        }
    }
}
