import QtQuick
import QtQuick.Shapes
import Quillmarsh.Design

// The tick that confirms something, drawn at the size of the text beside it.
Shape {
    id: root
    property real size: 15
    property color color: QM.saffron

    implicitWidth: size * 0.9
    implicitHeight: size * 0.8
    Accessible.ignored: true

    ShapePath {
        strokeColor: root.color
        strokeWidth: root.size * 0.15
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        joinStyle: ShapePath.RoundJoin
        startX: root.width * 0.08
        startY: root.height * 0.55
        PathLine { x: root.width * 0.38; y: root.height * 0.88 }
        PathLine { x: root.width * 0.92; y: root.height * 0.12 }
    }
}
