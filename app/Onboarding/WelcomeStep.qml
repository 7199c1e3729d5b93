import QtQuick
import Quillmarsh.Design

// The greeting: the orb at play and one promise, in English and Persian. No controls: the
// footer's "Get started" moves on.
Column {
    spacing: 22
    topPadding: 20

    Item {
        anchors.horizontalCenter: parent.horizontalCenter
        width: 128
        height: 128
        Accessible.ignored: true
        QMShape {
            anchors.fill: parent
            anchors.margins: -margin
            fillColor: QM.ink
            radius: 30
            shadowColor: Qt.rgba(0, 0, 0, 0.25)
            shadowBlur: 18
            shadowOffsetY: 10
        }
        OrbMark {
            size: 128
            cycle: true
            view.light: true // drawn on ink
        }
    }
    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 10

        QMText {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Talk in Persian. Type anywhere."
            font: Typography.latin(34, Font.DemiBold)
            color: QM.ink
        }
        QMText {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "فارسی حرف بزنید، همه جا بنویسید."
            font: Typography.persian(22)
            color: QM.ink
            horizontalAlignment: Text.AlignRight
        }
        QMText {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, 520)
            text: "English terms stay in English, and everything runs on this computer. Your voice never leaves it."
            font: Typography.latin(16, Font.Normal)
            color: QM.sub
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }
    }
}
