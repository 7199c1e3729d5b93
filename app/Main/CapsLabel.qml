import QtQuick
import Quillmarsh.Design

// A small upper-case label ("SAY", "YOUR WORDS", a style's name): semibold, spaced 1.1 apart.
QMText {
    property real size: 11

    color: QM.faint
    font: {
        const f = Typography.latin(size, Font.DemiBold)
        f.letterSpacing = 1.1
        return f
    }
}
