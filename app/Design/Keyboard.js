.pragma library
.import QtQuick as QtQuick

// Keyboard movement shared by the windows: the arrows within a group of controls, Tab out of a
// multi-line field, keeping the focused control in view, and where the focus goes after an action.

// Whether `item` is `group` or lies inside it.
function isInside(item, group) {
    for (let p = item; p; p = p.parent) {
        if (p === group)
            return true
    }
    return false
}

// Moves the focus from `from` to the next (or previous) control of the Tab order inside `group`;
// at either end of the group it stays.
function moveWithin(group, from, forward) {
    if (!from || !isInside(from, group))
        return
    const next = from.nextItemInFocusChain(forward)
    if (next && next !== from && isInside(next, group))
        next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
}

// Keys.onPressed of a group whose controls the arrows walk through: Up and Down for a vertical
// group; Left and Right for a horizontal one, their sense mirrored for right-to-left content.
function followArrows(group, event, from, orientation, mirrored) {
    let forward
    if (orientation === Qt.Vertical && (event.key === Qt.Key_Up || event.key === Qt.Key_Down))
        forward = event.key === Qt.Key_Down
    else if (orientation === Qt.Horizontal && (event.key === Qt.Key_Left || event.key === Qt.Key_Right))
        forward = (event.key === Qt.Key_Right) !== !!mirrored
    else
        return
    // An arrow at the group's end is used up too, so the page does not scroll away from it.
    moveWithin(group, from, forward)
    event.accepted = true
}

// Scrolls every view that holds `item` just far enough to show it whole.
function reveal(item) {
    const margin = 12
    for (let view = item.parent; view; view = view.parent) {
        if (view.contentY === undefined || view.contentItem === undefined || view.originY === undefined)
            continue
        const top = item.mapToItem(view.contentItem, 0, 0).y - margin
        const bottom = top + item.height + 2 * margin
        const lowest = view.originY + Math.max(0, view.contentHeight - view.height)
        if (top < view.contentY)
            view.contentY = Math.max(view.originY, top)
        else if (bottom > view.contentY + view.height)
            view.contentY = Math.min(lowest, bottom - view.height)
    }
}

// As `reveal`, after an action that changed what stands before `item` (a line shown above it):
// the layouts that hold it place it first.
function revealPlaced(item) {
    for (let holder = item.parent; holder; holder = holder.parent)
        holder.ensurePolished()
    reveal(item)
}

// Gives the keyboard to `item` and scrolls it into view. Its ring shows when the keyboard made
// the action that brings the focus there, as when the keyboard moves the focus itself.
function give(item, byKeyboard) {
    item.forceActiveFocus(byKeyboard ? Qt.TabFocusReason : Qt.OtherFocusReason)
    reveal(item)
}

// The row the list view `list` shows at `index`, scrolled into view; null when there is none.
function showRow(list, index) {
    if (index < 0 || index >= list.count)
        return null
    list.forceLayout()
    list.positionViewAtIndex(index, QtQuick.ListView.Contain)
    return list.itemAtIndex(index)
}

// Keys.onTabPressed and Keys.onBacktabPressed of a multi-line field (Tab leaves the field, as
// everywhere else, instead of typing a tab) and of a text that holds the focus without being a
// stop of Tab (Tab goes on from where it is, not from the window's start).
function tabOut(field, forward) {
    const next = field.nextItemInFocusChain(forward)
    if (next)
        next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
}
