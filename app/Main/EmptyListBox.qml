import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// What a page shows instead of an empty list: a soft box with a dashed outline, a title and a
// hint, centred. The page sets the smallest height.
Item {
    id: root
    property string title
    property string hint
    property real minimumHeight: 150

    implicitHeight: Math.max(minimumHeight, texts.implicitHeight + 40)

    QMShape {
        anchors.fill: parent
        fillColor: QM.soft
        strokeColor: QM.dash
        dashPattern: [5, 4]
        radius: 14
    }
    ColumnLayout {
        id: texts
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 28
        anchors.rightMargin: 28
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6
        QMText {
            Layout.fillWidth: true
            text: root.title
            font: Typography.latin(15, Font.DemiBold)
            color: QM.ink
            horizontalAlignment: Text.AlignHCenter
        }
        QMText {
            Layout.fillWidth: true
            text: root.hint
            font: Typography.latin(13, Font.Normal)
            color: QM.sub
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }
    }
}
