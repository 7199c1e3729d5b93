import QtQuick

// Control-Q quits from the window it is in. Every window of ours has one: on a desktop without a
// tray there is no Quit item to reach.
Shortcut {
    sequence: "Ctrl+Q"
    onActivated: Qt.quit()
}
