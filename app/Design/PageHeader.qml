import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// A page's title block: title and subtitle on the left, an optional view (for example a button)
// at the right, level with the bottom of the subtitle.
RowLayout {
    id: root
    property string title
    property string subtitle
    default property alias trailing: trailingHolder.data

    spacing: 8

    ColumnLayout {
        Layout.alignment: Qt.AlignBottom
        spacing: 4
        Text {
            text: root.title
            textFormat: Text.PlainText
            font: Typography.latin(30, Font.DemiBold)
            color: QM.ink
        }
        Text {
            visible: root.subtitle.length > 0
            text: root.subtitle
            textFormat: Text.PlainText
            font: Typography.latin(14, Font.Normal)
            color: QM.sub
        }
    }
    Item { Layout.fillWidth: true }
    Item {
        id: trailingHolder
        Layout.alignment: Qt.AlignBottom
        implicitWidth: childrenRect.width
        implicitHeight: childrenRect.height
    }
}
