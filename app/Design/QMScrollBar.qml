import QtQuick
import QtQuick.Controls.Basic

// The scroll bar of the pages' scrolling areas: on screen whenever there is more to scroll to, not
// only while the view moves, so a cut-off list or text says that it goes on. A content taller than
// its view by less than a point (a layout's rounding) doesn't count.
ScrollBar {
    readonly property real hidden: size > 0 ? (1 / size - 1) * height : 0
    policy: hidden >= 1 ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded
}
