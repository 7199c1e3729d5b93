import QtQuick
import QtTest
import Quillmarsh.Design

// A control that goes away or is disabled while it has the keyboard hands it on to the nearest
// visible control of its area, with its ring, passing over dangerous ones (to the heading when
// only those are left); one enabled again at once keeps it; a focus put elsewhere meanwhile stays
// where it was put.
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
        PageText { id: heading; text: "Heading" }
        // Notices of a page, each a row with its button, that come and go on their own.
        Column {
            id: notices
            visible: false
            Row {
                Text { text: "The model failed." }
                QMButton { text: "Try again" }
            }
            Row {
                id: settingsNotice
                Text { text: "Accessibility is off." }
                QMButton { id: openSettings; text: "Open settings" }
            }
        }
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
        QMButton { id: danger; text: "Sign out"; dangerous: true }
        QMButton { id: last; text: "Last" }
    }
    FocusKeeper {
        id: keeper
        area: area
        heading: heading
    }

    TestCase {
        name: "FocusKeeper"
        when: windowShown

        function focused() { return stage.Window.activeFocusItem }
        function init() {
            for (const control of [first, middle, danger, last]) {
                control.visible = true
                control.enabled = true
            }
            notice.active = false
            notices.visible = false
            settingsNotice.visible = true
            stage.forceActiveFocus()
        }

        // Hidden, disabled or gone with what held it, the control hands the keyboard to the next safe one; the last one of the area to the one before it.
        function test_aControlThatGoesHandsTheKeyboardOn_data() {
            return [
                { tag: "hidden", from: () => middle, take: () => middle.visible = false, to: () => last },
                { tag: "disabled", from: () => middle, take: () => middle.enabled = false, to: () => last },
                { tag: "disabled, then hidden", from: () => middle, take: () => {
                    middle.enabled = false
                    middle.visible = false
                }, to: () => last },
                { tag: "gone with its notice", from: () => {
                    notice.active = true
                    return notice.item.children[1]
                }, take: () => notice.active = false, to: () => middle },
                { tag: "the last one", from: () => last, take: () => last.visible = false, to: () => middle },
                { tag: "its notice hidden after another", from: () => {
                    notices.visible = true
                    return openSettings
                }, take: () => settingsNotice.visible = false, to: () => first },
            ]
        }
        function test_aControlThatGoesHandsTheKeyboardOn(data) {
            data.from().forceActiveFocus(Qt.TabFocusReason)
            data.take()
            tryVerify(() => focused() === data.to(), 5000, String(focused()))
            verify(focused().visualFocus, "it shows its ring")
        }

        // Enabled again before the change has run its course, it keeps the keyboard.
        function test_aControlDisabledForAMomentKeepsIt() {
            middle.forceActiveFocus(Qt.TabFocusReason)
            middle.enabled = false
            middle.enabled = true
            wait(0)
            verify(middle.activeFocus)
        }

        // Disabled while its work runs, it has the keyboard back once enabled again, unless the
        // user pressed something meanwhile.
        function test_aControlDisabledWhileItWorksHasTheKeyboardBack() {
            middle.forceActiveFocus(Qt.TabFocusReason)
            middle.enabled = false
            tryVerify(() => focused() === last)
            middle.enabled = true
            verify(middle.activeFocus && middle.visualFocus)

            middle.enabled = false
            tryVerify(() => focused() === last)
            keyClick(Qt.Key_Shift)
            middle.enabled = true
            verify(focused() === last)
        }

        // With only a dangerous control left near it, the keyboard goes to the heading.
        function test_theHeadingTakesTheKeyboardWhenOnlyDangerIsNear() {
            first.visible = false
            last.visible = false
            middle.forceActiveFocus(Qt.TabFocusReason)
            middle.visible = false
            tryVerify(() => focused() === heading, 5000, String(focused()))
        }

        // From the heading, Tab goes on to the area's first control and Shift-Tab to the one before
        // the area, as from a control in the heading's place.
        function test_tabFromTheHeadingGoesOnFromIt_data() {
            return [{ tag: "Tab", key: Qt.Key_Tab, to: () => first },
                    { tag: "Shift-Tab", key: Qt.Key_Backtab, to: () => outside }]
        }
        function test_tabFromTheHeadingGoesOnFromIt(data) {
            heading.forceActiveFocus()
            keyClick(data.key)
            verify(focused() === data.to(), String(focused()))
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
