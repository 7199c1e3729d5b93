import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// A page whose layout fills the window, its lists taking the height left over, and which scrolls
// as a whole once the window is shorter than the layout's least height, so that nothing at its
// foot (a button, a card's bottom) is cut off out of reach.
Flickable {
    id: root
    // The page's layout, anchored to fill the page within its margins.
    property Item body

    contentWidth: width
    contentHeight: body ? Math.max(height, body.implicitHeight + body.anchors.topMargin + body.anchors.bottomMargin)
                        : height
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: QMScrollBar {
        objectName: "pageScrollBar"
    }
}
