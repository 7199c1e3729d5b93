import QtQuick
import Quillmarsh.Design

// A dark panel with a warm glow in its upper-right area and a soft shadow below it. The content
// brings its own padding and text colours.
Item {
    id: root
    property real radius: 16
    default property alias content: holder.data

    implicitWidth: holder.childrenRect.width
    implicitHeight: holder.childrenRect.height

    // The glow is a 340-wide circle whose frame sits in the top-trailing corner of a layer at
    // least 340 on each side (centred on the panel), moved 60 right and 110 up.
    readonly property real layerWidth: Math.max(width, 340)
    readonly property real layerHeight: Math.max(height, 340)

    QMShape {
        id: shape
        anchors.fill: parent
        anchors.margins: -margin
        fillColor: QM.ink
        radius: root.radius
        shadowColor: Qt.rgba(0, 0, 0, 0.16)
        shadowBlur: 14
        shadowOffsetY: 8
        glowColor: Qt.rgba(QM.saffronBright.r, QM.saffronBright.g, QM.saffronBright.b, 0.28)
        glowRadius: 170
        glowCenter: Qt.point((root.width - root.layerWidth) / 2 + root.layerWidth - 170 + 60,
                             (root.height - root.layerHeight) / 2 + 170 - 110)
    }
    Item {
        id: holder
        anchors.fill: parent
    }
}
