import QtQuick
import Quillmarsh.Design

// Names a dictation's writing style: "as_spoken", "clean" or "formal". Formal is amber on warm
// with a warm outline; the others are quiet grey on chip with square corners.
Item {
    id: root
    property string style: "as_spoken"
    readonly property bool formal: style === "formal"

    implicitWidth: label.implicitWidth + 16
    implicitHeight: label.implicitHeight + 6

    Rectangle {
        anchors.fill: parent
        color: root.formal ? QM.warm : QM.chip
    }
    QMShape {
        anchors.fill: parent
        strokeColor: root.formal ? QM.warmLine : "transparent"
        radius: 6
    }
    QMText {
        id: label
        anchors.centerIn: parent
        text: root.style === "formal" ? "Formal" : root.style === "clean" ? "Clean" : "As spoken"
        font: {
            const f = Typography.latin(11.5, Font.DemiBold)
            f.letterSpacing = 0.3
            return f
        }
        color: root.formal ? QM.amber : QM.sub
    }
}
