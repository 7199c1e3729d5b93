import QtQuick
import Quillmarsh.Design

// The words so far on one line: the settled ones in the text colour, the trailing ones that may
// still change dimmed. The line keeps its end in view as words arrive.
Item {
    id: root
    property string stableText
    property string settlingText
    property PillTheme theme

    readonly property string whole: stableText + (stableText && settlingText ? " " : "") + settlingText
    readonly property bool persian: Script.isPersian(whole)

    clip: true
    implicitHeight: line.implicitHeight

    Row {
        id: line
        anchors.verticalCenter: parent.verticalCenter
        // Longer than the room: the oldest words slide out of view, the newest stay; Persian
        // stands against the right edge.
        x: root.persian ? Math.max(0, root.width - width) : Math.min(0, root.width - width)
        spacing: root.stableText && root.settlingText ? 4 : 0
        layoutDirection: root.persian ? Qt.RightToLeft : Qt.LeftToRight
        QMText {
            text: root.stableText
            color: root.theme.text
            font: Typography.forText(root.whole, root.theme.textSize, Font.Medium)
        }
        QMText {
            text: root.settlingText
            color: root.theme.settling
            font: Typography.forText(root.whole, root.theme.textSize, Font.Medium)
        }
    }
}
