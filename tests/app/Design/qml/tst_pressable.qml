import QtQuick
import QtTest
import Quillmarsh.Design

// What every pressable control shares beyond what the windows' Tab tours check: a focus the mouse
// left shows no ring and takes no key, and a control the keyboard reaches is scrolled into
// view.
Item {
    id: stage
    width: 300
    height: 200

    property int presses: 0
    property int toggles: 0

    QMButton {
        id: first
        text: "First"
        onClicked: stage.presses++
    }
    QMToggleStyle {
        id: toggle
        y: 60
        label: "Toggle"
        onToggled: stage.toggles++
        onClicked: stage.presses++
    }
    Flickable {
        id: scroller
        y: 100
        width: 300
        height: 60
        clip: true
        contentHeight: 400
        QMSmallButton {
            id: below
            y: 300
            text: "Below"
        }
    }
    QMButton {
        id: disabledButton
        x: 160
        text: "Disabled"
        enabled: false
        onClicked: stage.presses++
    }
    Item {
        id: wordBox
        x: 160
        y: 50
        width: 100
        height: 38
        QMPressable {
            id: word
            anchors.centerIn: parent
            focusFrame: wordBox
            focusRadius: 10
            text: "Delete"
            contentItem: Text { text: word.text }
        }
    }

    // A form of every kind of control, which the page may grey out whole or a control at a time.
    Row {
        id: form
        y: 170
        QMChoice { id: choice; text: "Choice" }
        QMSegmented {
            id: segmented
            options: [{ value: "a", title: "Alpha" }, { value: "b", title: "Beta" }]
            disabled: ["b"]
        }
        NaturalTextField { id: lineField; width: 60; accessibilityLabel: "Word" }
        RTLTextField { id: persianField; width: 60; height: 30 }
    }

    TestCase {
        name: "QMPressable"
        when: windowShown

        function ringOf(control) { return findChild(control, "focusRing") }

        function init() {
            stage.presses = 0
            stage.toggles = 0
            toggle.checked = false
            scroller.contentY = 0
            for (const each of [first, below, toggle, form, choice, segmented, lineField])
                each.enabled = true
            stage.forceActiveFocus()
        }

        function test_aFocusTheMouseLeftShowsNoRingAndTakesNoKey() {
            mouseClick(first)
            compare(stage.presses, 1)
            verify(first.activeFocus)
            verify(!ringOf(first).visible)
            keyClick(Qt.Key_Return)
            keyClick(Qt.Key_Space)
            compare(stage.presses, 1)
            // Once the keyboard has brought it back, with its ring, both keys press.
            stage.forceActiveFocus()
            first.forceActiveFocus(Qt.TabFocusReason)
            keyClick(Qt.Key_Space)
            keyClick(Qt.Key_Return)
            compare(stage.presses, 3)
        }

        // An assistive technology's press (switch access, voice control, a reader's "activate")
        // does what a click does, and a toggle's toggles it once; a disabled control does nothing.
        function test_anAssistivePressIsAClick_data() {
            return [
                { tag: "button", control: () => first, action: "Press", presses: 1, toggles: 0 },
                { tag: "toggle pressed", control: () => toggle, action: "Press", presses: 1, toggles: 1 },
                { tag: "toggle toggled", control: () => toggle, action: "Toggle", presses: 1, toggles: 1 },
                { tag: "disabled", control: () => disabledButton, action: "Press", presses: 0, toggles: 0 },
            ]
        }
        function test_anAssistivePressIsAClick(data) {
            const control = data.control()
            if (control.enabled)
                verify(accessibility.actions(control).includes(data.action), accessibility.actions(control))
            compare(accessibility.actions(control).includes("Toggle"), control.checkable, "only a toggle toggles")
            accessibility.act(control, data.action)
            compare([stage.presses, stage.toggles, toggle.checked], [data.presses, data.toggles, data.toggles === 1])
        }

        // A control the user can't use now is heard as unavailable, whether it is greyed itself or
        // through the part of the window that holds it; enabled again, it is heard as usable.
        function test_aGreyedControlIsHeardAsUnavailable_data() {
            const segment = title => Array.prototype.find.call(segmented.children[1].children, each => each.text === title)
            return [
                { tag: "button", control: () => first, greyed: () => first },
                { tag: "small button", control: () => below, greyed: () => below },
                { tag: "toggle", control: () => toggle, greyed: () => toggle },
                { tag: "choice", control: () => choice, greyed: () => choice },
                { tag: "segment", control: () => segment("Alpha"), greyed: () => segmented },
                { tag: "one-line field", control: () => lineField.editor, greyed: () => lineField },
                { tag: "multi-line field", control: () => persianField.editor, greyed: () => form },
                { tag: "segment not choosable", control: () => segment("Beta"), greyed: null },
            ]
        }
        function test_aGreyedControlIsHeardAsUnavailable(data) {
            const control = data.control()
            compare(accessibility.heardUnavailable(control), !data.greyed)
            if (!data.greyed)
                return
            data.greyed().enabled = false
            verify(accessibility.heardUnavailable(control))
            data.greyed().enabled = true
            verify(!accessibility.heardUnavailable(control))
        }

        function test_aDisabledButtonLooksDisabled() {
            verify(Qt.colorEqual(disabledButton.contentItem.color, QM.faint))
            verify(Qt.colorEqual(first.contentItem.color, QM.ink))
        }

        function test_theRingOfAWordGoesAroundItsPaddedBox() {
            word.forceActiveFocus(Qt.TabFocusReason)
            const ring = ringOf(wordBox)
            verify(ring.visible)
            const at = ring.mapToItem(wordBox, 0, 0)
            compare([at.x, at.y, ring.width, ring.height], [-3, -3, wordBox.width + 6, wordBox.height + 6])
        }

        function test_aControlTheKeyboardReachesIsScrolledIntoView() {
            toggle.forceActiveFocus(Qt.TabFocusReason)
            keyClick(Qt.Key_Tab)
            verify(below.activeFocus)
            verify(scroller.contentY >= 300 + below.height - scroller.height)
            verify(scroller.contentY <= 300)
        }
    }
}
