import QtQuick
import QtQuick.Shapes
import Quillmarsh.Design

// A rounded outline dashed 6 on, 4 off, drawn inside the item's edge. No fill.
Shape {
    id: root
    property real radius: 12
    property real lineWidth: 1.5
    property color color: QM.dash

    readonly property real inset: lineWidth / 2
    readonly property real r: Math.min(radius, width / 2, height / 2)

    ShapePath {
        strokeColor: root.color
        strokeWidth: root.lineWidth
        fillColor: "transparent"
        strokeStyle: ShapePath.DashLine
        // Shapes measure dashes in line widths.
        dashPattern: [6 / root.lineWidth, 4 / root.lineWidth]
        capStyle: ShapePath.FlatCap
        joinStyle: ShapePath.MiterJoin
        PathSvg {
            readonly property real a: root.inset
            readonly property real w: root.width - root.inset
            readonly property real h: root.height - root.inset
            readonly property real r: root.r - root.inset
            path: `M ${a + r} ${a} H ${w - r} A ${r} ${r} 0 0 1 ${w} ${a + r} V ${h - r} A ${r} ${r} 0 0 1 ${w - r} ${h}`
                  + ` H ${a + r} A ${r} ${r} 0 0 1 ${a} ${h - r} V ${a + r} A ${r} ${r} 0 0 1 ${a + r} ${a} Z`
        }
    }
}
