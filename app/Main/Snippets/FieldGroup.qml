import QtQuick
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// A caption over a field box that holds the field itself.
ColumnLayout {
    id: root
    property string caption
    property real boxHeight: 40
    default property alias field: box.data

    spacing: 7

    QMText {
        text: root.caption
        font: Typography.latin(12.5, Font.DemiBold)
        color: QM.sub
    }
    FieldBox {
        id: box
        Layout.fillWidth: true
        Layout.preferredHeight: root.boxHeight
    }
}
