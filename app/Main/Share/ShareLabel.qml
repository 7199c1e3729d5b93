import QtQuick
import Quillmarsh.App
import Quillmarsh.Design

// The share window's small capital labels: 11.5 semibold, spaced out.
QMText {
    font: {
        const f = Typography.latin(11.5, Font.DemiBold)
        f.letterSpacing = 1.1
        return f
    }
}
