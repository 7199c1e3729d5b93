import QtQuick
import Quillmarsh.Design

// The pill's look in one place: a dark capsule with light text, the settling words dimmed.
QtObject {
    readonly property color fill: QM.ink
    readonly property color text: QM.paper
    readonly property color settling: QM.faint
    readonly property color accent: QM.saffronBright
    readonly property real radius: 26
    readonly property real orbSize: 30
    readonly property real textSize: 14
    readonly property real padding: 12
    // Above and below a message; a longer one than this many lines (only a long dictation) ends in
    // an ellipsis rather than cover the screen.
    readonly property real messageMargin: 16
    readonly property int messageLines: 6
}
