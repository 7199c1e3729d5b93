import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// One labelled row of the settings page: title and optional note on the left, the control at the
// right. The texts keep their room before the control; a long note wraps and makes the row taller.
Item {
    id: root
    property string title
    // Empty means no note.
    property string note
    property bool divider: false
    default property alias control: controlHolder.data

    implicitWidth: row.implicitWidth
    // The texts' laid-out height: a wrapped note makes them taller than their one-line size.
    implicitHeight: Math.max(56, Math.max(texts.childrenRect.height, controlHolder.implicitHeight) + 18)

    RowLayout {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 16

        ColumnLayout {
            id: texts
            // The texts keep their width before the spacer and the control take theirs.
            Layout.preferredWidth: implicitWidth
            Layout.maximumWidth: Math.max(0, row.width - controlHolder.implicitWidth - 2 * row.spacing - 12)
            spacing: 2
            PageText {
                Layout.fillWidth: true
                text: root.title
                font: Typography.latin(14.5, Font.DemiBold)
                color: QM.ink
                wrapMode: TextEdit.Wrap
            }
            PageText {
                Layout.fillWidth: true
                visible: root.note.length > 0
                text: root.note
                font: Typography.latin(12.5, Font.Normal)
                color: QM.faint
                wrapMode: TextEdit.Wrap
            }
        }
        Item {
            Layout.fillWidth: true
            Layout.minimumWidth: 12
        }
        Item {
            id: controlHolder
            implicitWidth: childrenRect.width
            implicitHeight: childrenRect.height
        }
    }
    Rectangle {
        visible: root.divider
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 1
        color: QM.rule
    }
}
