import QtQuick
import Quillmarsh.Design

// User text that may be Persian or English: Persian in "Vazirmatn" one point larger, right to left
// and at the right edge of the width it is given; anything else in "Commissioner" with `weight`,
// left to right at the left edge. Re-decided whenever the text changes. Without a line limit it is
// page text the user can select and copy; a limited text ends in an ellipsis instead.
Item {
    id: root
    property string text
    property real size: 14
    property int weight: Font.Normal
    property color color: QM.ink
    // The most lines to show; 0 means no limit.
    property int lineLimit: 0
    // Extra room between lines, in points.
    property real lineSpacing: 0
    // False inside a control whose name says the text already: a reader hears it once.
    property bool heardOnItsOwn: true

    readonly property bool persian: Script.isPersian(text)
    readonly property alias font: label.font

    implicitWidth: root.lineLimit > 0 ? label.implicitWidth : selectable.implicitWidth
    implicitHeight: root.lineLimit > 0 ? label.implicitHeight : selectable.implicitHeight

    QMText {
        id: label
        visible: root.lineLimit > 0
        width: root.width
        // A leading direction mark sets the paragraph's direction whatever its first word is.
        text: (root.persian ? "\u200f" : "\u200e") + root.text
        font: Typography.forText(root.text, root.size, root.weight)
        color: root.color
        wrapMode: Text.Wrap
        maximumLineCount: root.lineLimit > 0 ? root.lineLimit : 2147483647
        elide: root.lineLimit > 0 ? Text.ElideRight : Text.ElideNone
        horizontalAlignment: root.persian ? Text.AlignRight : Text.AlignLeft
        lineHeightMode: root.lineSpacing > 0 ? Text.FixedHeight : Text.ProportionalHeight
        lineHeight: root.lineSpacing > 0 ? metrics.height + root.lineSpacing : 1
        Accessible.ignored: !root.heardOnItsOwn
    }
    PageText {
        id: selectable
        visible: root.lineLimit === 0
        width: root.width
        text: root.text
        font: label.font
        color: root.color
        wrapMode: TextEdit.Wrap
        lineSpacing: root.lineSpacing
        Accessible.ignored: !root.heardOnItsOwn
    }
    FontMetrics {
        id: metrics
        font: label.font
    }
}
