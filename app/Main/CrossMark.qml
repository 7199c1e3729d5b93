import QtQuick

// The "plus" symbol, or the "xmark" symbol when turned: two round-ended strokes crossing at the
// centre of a `size` square.
Item {
    id: root
    property real size: 11
    property real thickness: 1.8
    property color color: "black"
    property bool turned: false

    implicitWidth: size
    implicitHeight: size
    rotation: turned ? 45 : 0
    Accessible.ignored: true

    Repeater {
        model: 2
        Rectangle {
            required property int index
            anchors.centerIn: parent
            width: index === 0 ? root.size * (root.turned ? 1.2 : 1) : root.thickness
            height: index === 0 ? root.thickness : root.size * (root.turned ? 1.2 : 1)
            radius: root.thickness / 2
            color: root.color
            antialiasing: true
        }
    }
}
