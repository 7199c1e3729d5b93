import QtQuick
import QtTest
import Quillmarsh.Design

// A control that goes away while it has the keyboard hands it on to the nearest visible control
// of its area, with its ring; one disabled for a moment keeps its claim; a focus put elsewhere
// meanwhile stays where it was put.
Item {
    id: stage
    width: 400
    height: 300

    QMButton {
        id: outside
        text: "Outside"
    }
    Column {
        id: area
        y: 50
        QMButton { id: first; text: "First" }
        Loader {
            id: notice
            active: false
            sourceComponent: Row {
                QMButton { text: "Goes" }
                QMButton { text: "Goes too" }
            }
        }
        QMButton { id: middle; text: "Middle" }
        QMButton { id: last; text: "Last" }
    }
    FocusKeeper {
        id: keeper
        area: area
    }

    TestCase {
        name: "FocusKeeper"
        when: windowShown

        function focused() { return stage.Window.activeFocusItem }
        function init() {
            for (const control of [first, middle, last]) {
                control.visible = true
                control.enabled = true
            }
            notice.active = false
            stage.forceActiveFocus()
        }

        // Hidden or gone with what held it, the control hands the keyboard to the next one; the last one of the area to the one before it; the only one to the area itself.
        function test_aControlThatGoesHandsTheKeyboardOn_data() {
            return [
                { tag: "hidden", from: () => middle, take: () => middle.visible = false, to: () => last },
                { tag: "disabled, then hidden", from: () => middle, take: () => {
                    middle.enabled = false
                    middle.visible = false
                }, to: () => last },
                { tag: "gone with its notice", from: () => {
                    notice.active = true
                    return notice.item.children[1]
                }, take: () => notice.active = false, to: () => middle },
                { tag: "the last one", from: () => last, take: () => last.visible = false, to: () => middle },
            ]
        }
        function test_aControlThatGoesHandsTheKeyboardOn(data) {
            data.from().forceActiveFocus(Qt.TabFocusReason)
            data.take()
            tryVerify(() => focused() === data.to(), 5000, String(focused()))
            verify(focused().visualFocus, "it shows its ring")
        }

        // Disabled while its work runs, it has the keyboard back once enabled again.
        function test_aControlDisabledForAMomentKeepsItsClaim() {
            middle.forceActiveFocus(Qt.TabFocusReason)
            middle.enabled = false
            wait(0)
            verify(!last.activeFocus && !first.activeFocus)
            middle.enabled = true
            verify(middle.activeFocus)
        }

        function test_aFocusPutElsewhereStays() {
            middle.forceActiveFocus(Qt.TabFocusReason)
            middle.visible = false
            outside.forceActiveFocus(Qt.TabFocusReason)
            wait(0)
            verify(focused() === outside)
        }
    }
}
