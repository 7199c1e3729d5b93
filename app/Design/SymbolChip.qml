import QtQuick
import Quillmarsh.Design

// A square icon tile that decorates the text beside it. `name` names one of the application's
// own symbol drawings; the glyph is drawn at 0.45 of the chip's side.
Item {
    id: root
    property string name
    property real size: 32

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    QMShape {
        anchors.fill: parent
        fillColor: QM.chip
        radius: root.size * 0.29
    }
    Image {
        anchors.centerIn: parent
        width: root.size * 0.45
        height: width
        sourceSize: Qt.size(width * 2, height * 2)
        source: "icons/" + root.name + ".svg"
        fillMode: Image.PreserveAspectFit
        smooth: true
    }
}
