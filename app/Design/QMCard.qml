import QtQuick
import Quillmarsh.Design

// The white card that holds each group of a page's content: a hairline QM.line outline with
// continuous corners. With `fill` it takes all the room its container gives (Layout.fillWidth /
// fillHeight), otherwise it hugs its content; the content sits in the top-leading corner.
Item {
    id: root
    property real padding: 20
    property real radius: 14
    property bool fill: false
    default property alias content: holder.data

    implicitWidth: holder.childrenRect.width + 2 * padding
    implicitHeight: holder.childrenRect.height + 2 * padding

    QMShape {
        anchors.fill: parent
        fillColor: "white"
        strokeColor: QM.line
        radius: root.radius
    }
    Item {
        id: holder
        x: root.padding
        y: root.padding
        width: root.fill ? root.width - 2 * root.padding : childrenRect.width
        height: root.fill ? root.height - 2 * root.padding : childrenRect.height
    }
}
