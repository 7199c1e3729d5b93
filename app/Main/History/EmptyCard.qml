import QtQuick
import QtQuick.Shapes
import Quillmarsh.App
import Quillmarsh.Design

// What the History page shows instead of its list when there is nothing to list: a title and a
// message on a soft panel with a dashed outline.
Item {
    id: root
    property string title
    property string message

    implicitHeight: Math.max(200, column.implicitHeight)

    Rectangle {
        anchors.fill: parent
        color: QM.soft
    }
    Shape {
        anchors.fill: parent
        ShapePath {
            strokeColor: QM.dash
            strokeWidth: 1
            fillColor: "transparent"
            strokeStyle: ShapePath.DashLine
            dashPattern: [5, 4]
            PathSvg {
                // A rounded rectangle of radius 14 along the middle of the edge pixels.
                readonly property real r: 14
                readonly property real w: root.width - 0.5
                readonly property real h: root.height - 0.5
                path: `M ${r + 0.5} 0.5 H ${w - r} A ${r} ${r} 0 0 1 ${w} ${r + 0.5} V ${h - r} `
                      + `A ${r} ${r} 0 0 1 ${w - r} ${h} H ${r + 0.5} A ${r} ${r} 0 0 1 0.5 ${h - r} `
                      + `V ${r + 0.5} A ${r} ${r} 0 0 1 ${r + 0.5} 0.5 Z`
            }
        }
    }
    Column {
        id: column
        anchors.centerIn: parent
        width: parent.width - 56
        spacing: 6
        PageText {
            width: parent.width
            text: root.title
            font: Typography.latin(15, Font.DemiBold)
            color: QM.ink
            horizontalAlignment: TextEdit.AlignHCenter
        }
        PageText {
            width: parent.width
            text: root.message
            font: Typography.latin(13, Font.Normal)
            color: QM.sub
            wrapMode: TextEdit.Wrap
            horizontalAlignment: TextEdit.AlignHCenter
        }
    }
}
