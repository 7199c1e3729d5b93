import QtQuick
import Quillmarsh.Design

// A drawing of a keyboard key, 132 × 112 with a solid 5-point lower edge: the label at the top,
// the caption at the bottom. Decoration only: readers skip it.
Item {
    id: root
    property alias label: labelText.text
    property alias caption: captionText.text

    implicitWidth: 132
    implicitHeight: 112
    Accessible.ignored: true

    QMShape {
        x: 0
        y: 5
        width: 132
        height: 112
        fillColor: QM.keyEdge
        radius: 18
    }
    QMShape {
        width: 132
        height: 112
        fillColor: QM.paper
        strokeColor: QM.keyEdge
        radius: 18
    }
    Text {
        id: labelText
        x: 16
        y: 14
        width: 100
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font: Typography.latin(24, Font.DemiBold)
        color: QM.ink
    }
    Text {
        id: captionText
        x: 16
        width: 100
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 14
        textFormat: Text.PlainText
        font: Typography.latin(12, Font.Normal)
        color: QM.sub
    }
}
