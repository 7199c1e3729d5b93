import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// Anything the user presses: Tab and Shift-Tab reach it, and Space and Return press it while its
// focus shows. The focus ring shows only when the keyboard put the focus here, as desktops do, and
// the control is then scrolled into view; a focus the mouse left behind takes no key, so no key
// presses a control unseen (Return goes on to the window).
AbstractButton {
    id: root
    // The ring follows the control's own corners; rows of clipped lists draw it inside.
    property alias focusRadius: ring.controlRadius
    property alias focusOffset: ring.offset
    property alias focusSideOffset: ring.sideOffset
    // What the ring goes around: a control narrower than the box drawn for it (a word in a padded
    // outline) puts it around the box.
    property Item focusFrame: root
    // A control that pressing again would not change (a chosen choice) leaves Return to the window.
    property bool returnPresses: true
    // A press that loses something (signing out, deleting): the focus never lands here by itself
    // (FocusKeeper passes it over), only when the user moves it here.
    property bool dangerous: false
    // Whether the last press came from the keyboard, for `takeBackFocus()`.
    property bool pressedByKeyboard: false

    // The set of choices this control is one of ("Dictation key"): a reader hears it before the
    // control's own name, as the eye sees the choice under the set's title.
    property string group

    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Accessible.name: group === "" ? text : group + ": " + text

    // A popup or dialog this control opened gives the focus back to it when it closes, showing
    // it again when the keyboard opened it.
    function takeBackFocus() {
        Keyboard.give(root, pressedByKeyboard)
    }
    onPressed: pressedByKeyboard = visualFocus

    // How the focus last came here. Another window (sharing, a save dialog) takes the focus away
    // from this one, and when this window is active again the focus comes back as it came: with
    // its ring, and Return pressing, when the keyboard had brought it.
    property int focusCameBy: Qt.OtherFocusReason
    onActiveFocusChanged: {
        if (!activeFocus)
            return
        if (focusReason === Qt.ActiveWindowFocusReason)
            focusReason = focusCameBy
        else
            focusCameBy = focusReason
    }

    function pressByKey(event) {
        event.accepted = visualFocus && returnPresses && enabled
        if (!event.accepted)
            return
        pressedByKeyboard = true
        if (checkable) {
            toggle()
            toggled()
        }
        clicked()
    }
    Keys.onSpacePressed: event => event.accepted = !visualFocus
    Keys.onReturnPressed: event => pressByKey(event)
    Keys.onEnterPressed: event => pressByKey(event)
    onVisualFocusChanged: if (visualFocus) Keyboard.reveal(root)

    FocusRing {
        id: ring
        parent: root.focusFrame
        visible: root.visualFocus
    }
    PointerCursor {}
}
