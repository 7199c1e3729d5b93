import QtQuick
import QtQuick.Controls.Basic

// The scroll bar of the pages' scrolling areas: on screen whenever there is more to scroll to, not
// only while the view moves, so a cut-off list or text says that it goes on; otherwise not at all,
// not even fading out while a page is first laid out. A content taller than its view by less than
// a point (a layout's rounding) doesn't count.
ScrollBar {
    readonly property real hidden: size > 0 ? (1 / size - 1) * height : 0
    policy: ScrollBar.AlwaysOn
    visible: hidden >= 1
}
