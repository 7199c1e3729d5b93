import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// A page's title block: title and subtitle on the left, an optional view (for example a button)
// at the right, level with the bottom of the subtitle. When the row is short of room the texts
// wrap, down to a third of its width; a trailing view that may shrink (Layout.fillWidth with its
// natural width as maximum) gives up the rest.
RowLayout {
    id: root
    property string title
    property string subtitle
    default property alias trailing: trailingRow.data
    // The title, which a reader says is the page's heading; the focus may rest on it.
    readonly property alias heading: title

    spacing: 8

    // A column rather than a layout, so that the texts' heights follow the widths they wrap at.
    Column {
        Layout.alignment: Qt.AlignBottom
        Layout.fillWidth: true
        Layout.preferredWidth: Math.max(title.implicitWidth, subtitle.visible ? subtitle.implicitWidth : 0)
        Layout.minimumWidth: Math.min(Layout.preferredWidth, root.width / 3)
        // The editors' own heights can lag behind a change of width: plain texts of the same font
        // at the same width give the block's height.
        Layout.preferredHeight: titleHeight.height + (subtitle.visible ? spacing + subtitleHeight.height : 0)
        spacing: 4
        PageText {
            id: title
            objectName: "pageTitle"
            width: parent.width
            text: root.title
            font: Typography.latin(30, Font.DemiBold)
            color: QM.ink
            wrapMode: TextEdit.Wrap
            Accessible.role: Accessible.Heading
        }
        // A Persian subtitle (a date in a Persian locale) too starts under the title.
        PageText {
            id: subtitle
            objectName: "pageSubtitle"
            width: parent.width
            visible: root.subtitle.length > 0
            text: root.subtitle
            font: Typography.forText(root.subtitle, 14, Font.Normal)
            color: QM.sub
            wrapMode: TextEdit.Wrap
            horizontalAlignment: TextEdit.AlignLeft
        }
    }
    QMText {
        id: titleHeight
        visible: false
        width: title.width
        text: root.title
        font: title.font
        wrapMode: Text.Wrap
    }
    QMText {
        id: subtitleHeight
        visible: false
        width: subtitle.width
        text: root.subtitle
        font: subtitle.font
        wrapMode: Text.Wrap
    }
    RowLayout {
        id: trailingRow
        Layout.alignment: Qt.AlignBottom
        Layout.fillWidth: true
        Layout.maximumWidth: Math.ceil(implicitWidth)
        spacing: 0
    }
}
