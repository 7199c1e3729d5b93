import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// The application's full-size button: primary is ink-filled, secondary paper with a hairline.
// A disabled button looks it: a primary one turns faint on line, a secondary one's text faint.
// A destructive button says so in the danger colour: filled with it when primary, its text when
// secondary.
QMPressable {
    id: root
    property bool primary: false
    property bool destructive: false

    readonly property color accent: destructive ? QM.danger : QM.ink
    // What the label is drawn in, for a button that draws its own (a symbol beside its text).
    readonly property color labelColor: !enabled ? QM.faint : primary ? QM.paper : accent

    implicitWidth: label.implicitWidth + 36
    implicitHeight: 40
    focusRadius: 10
    opacity: down ? 0.8 : 1

    contentItem: Text {
        id: label
        text: root.text
        textFormat: Text.PlainText
        font: Typography.latin(14, Font.DemiBold)
        color: root.labelColor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: QMShape {
        fillColor: !root.primary ? QM.paper : root.enabled ? root.accent : QM.line
        strokeColor: root.primary ? "transparent" : QM.line
        radius: 10
    }
}
