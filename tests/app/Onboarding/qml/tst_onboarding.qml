import QtQuick
import QtTest
import Quillmarsh.Design
import Quillmarsh.App

Item {
    id: stage
    width: 880
    height: 620

    Component { id: viewComponent; OnboardingView {} }

TestCase {
    name: "Onboarding"
    when: windowShown

    function make(key, mic, trusted, step) {
        const model = fixture.model(key, mic, trusted)
        model.step = step
        const view = createTemporaryObject(viewComponent, stage, { onboarding: model })
        view.forceActiveFocus()
        return view
    }
    function childList(item) {
        return Array.from({ length: item.children.length }, (_, i) => item.children[i])
    }
    function visibleItems(item, test) {
        let found = item.visible && test(item) ? [item] : []
        for (const child of childList(item))
            found = found.concat(visibleItems(child, test))
        return found
    }
    function texts(item) {
        return visibleItems(item, i => i.font !== undefined && i.clicked === undefined && i.text !== undefined)
            .map(i => i.text)
    }
    function buttons(item) {
        return visibleItems(item, i => i.clicked !== undefined && i.text !== undefined && i.enabled)
    }
    function button(item, title) {
        return buttons(item).find(b => b.text === title)
    }
    function focused() { return stage.Window.activeFocusItem }
    // Whether the focused control, or the box of a focused field, shows its ring.
    function ringShown() {
        for (let item = focused(); item; item = item.parent) {
            const ring = childList(item).find(child => child.objectName === "focusRing")
            if (ring)
                return ring.visible
        }
        return false
    }

    function test_frame_data() {
        return [
            { tag: "welcome", step: 0, primary: "Get started" },
            { tag: "key", step: 1, primary: "Continue" },
            { tag: "permissions", step: 2, primary: "Continue" },
            { tag: "tryIt", step: 3, primary: "Continue" },
            { tag: "done", step: 4, primary: "Start dictating" },
        ]
    }
    function test_frame(data) {
        const view = make("rightOption", 3, true, data.step)
        compare(view.primaryButton.text, data.primary)
        verify(view.primaryButton.enabled)
        compare(findChild(view, "backButton").visible, data.step > 0)
        compare(findChild(view, "orbBadge").visible, data.step > 0)
        const dots = findChild(view, "stepDots")
        compare(dots.Accessible.name, "Step " + (data.step + 1) + " of 5")
        const capsules = childList(dots).filter(c => c.color !== undefined)
        compare(capsules.map(c => c.width), [0, 1, 2, 3, 4].map(i => i === data.step ? 28 : 8))
        capsules.forEach((c, i) => verify(Qt.colorEqual(c.color, i <= data.step ? QM.ink : QM.dotOff)))
        view.primaryButton.clicked()
        compare(view.onboarding.step, Math.min(data.step + 1, 4))
    }

    function test_doneSaysWhereQuillmarshIs_data() {
        return [
            { tag: "tray", inTray: true, title: "Quillmarsh is in your system tray",
              subtitle: "Hold right Alt in any app and talk. Click the mark in the tray for settings." },
            { tag: "no tray", inTray: false, title: "Quillmarsh keeps running in the background",
              subtitle: "Hold right Alt in any app and talk. Open Quillmarsh from your applications menu for settings, and press Ctrl+Q in its window to quit." },
        ]
    }
    function test_doneSaysWhereQuillmarshIs(data) {
        const view = make("rightOption", 3, true, 4)
        view.onboarding.inTray = data.inTray
        verify(texts(view).includes(data.title), texts(view))
        verify(texts(view).includes(data.subtitle), texts(view))
        compare(findChild(view, "menuBarPicture").visible, data.inTray)
    }

    // The picture shows the mark the tray shows, the one the user is told to click.
    function test_donePicturesTheTraysOwnMark() {
        const view = make("rightOption", 3, true, 4)
        view.onboarding.inTray = true
        const mark = findChild(view, "trayMark")
        waitForRendering(view)
        const image = grabImage(view)
        const origin = mark.mapToItem(view, 0, 0)
        const expected = fixture.trayMarkInk()
        compare(mark.width * mark.height, expected.length)
        let differing = 0
        for (let y = 0; y < mark.height; ++y) {
            for (let x = 0; x < mark.width; ++x) {
                const inked = image.red(Math.round(origin.x) + x, Math.round(origin.y) + y) < 126
                if (inked !== expected[y * mark.width + x])
                    ++differing
            }
        }
        verify(expected.filter(inked => inked).length > 40)
        // An edge pixel at about half coverage may fall either way.
        verify(differing <= 4, differing + " pixels differ")
    }

    function test_keyStatus_data() {
        return [
            { tag: "right Ctrl free", key: "fn", options: ["grp:alt_shift_toggle"], cap: "Ctrl",
              status: "right Ctrl is free for Quillmarsh", ready: true },
            { tag: "right Super", key: "rightCommand", options: ["grp:rctrl_toggle"], cap: "Super",
              status: "right Super is your dictation key", ready: true },
            { tag: "right Ctrl switches keyboards", key: "fn", options: ["grp:rctrl_toggle"], cap: "Ctrl",
              status: "You use right Ctrl to switch keyboards",
              message: "Keep it that way and dictate with right Alt instead. Or turn off the keyboard option “grp:rctrl_toggle” in Keyboard settings",
              buttons: ["Use right Alt", "Open Keyboard Settings"], ready: false },
            { tag: "right Alt switches keyboards", key: "rightOption", options: ["grp:toggle"], cap: "Alt",
              status: "You use right Alt to switch keyboards",
              buttons: ["Use right Ctrl", "Open Keyboard Settings"], ready: false },
            { tag: "right Super composes", key: "rightCommand", options: ["compose:rwin"], cap: "Super",
              status: "Your desktop is using right Super right now",
              message: "Pressing it starts a compose sequence (the keyboard option “compose:rwin”). Turn that option off",
              buttons: ["Open Keyboard Settings"], ready: false },
            { tag: "every key switches keyboards", key: "fn", options: ["grp:rwin_switch", "grp:switch", "grp:rctrl_switch"],
              cap: "Ctrl", status: "Your desktop is using right Ctrl right now",
              message: "Pressing it switches the keyboard layout (the keyboard option “grp:rctrl_switch”).",
              buttons: ["Open Keyboard Settings"], ready: false },
        ]
    }
    function test_keyStatus(data) {
        const view = make(data.key, 3, true, 1)
        view.onboarding.keyboardOptions = data.options
        const shown = texts(view)
        verify(shown.includes(data.cap), shown)
        verify(shown.includes(data.status), shown)
        if (data.message)
            verify(shown.some(t => t.startsWith(data.message)), shown)
        const status = findChild(view, "keyStatus")
        compare(buttons(status).map(b => b.text), data.buttons || [])
        compare(view.primaryButton.enabled, data.ready)
        const selected = buttons(view).filter(b => b.selected).map(b => b.text)
        compare(selected, ["Hold " + view.onboarding.keyNameOf(data.key)])

        keyClick(Qt.Key_Return)
        compare(view.onboarding.step, data.ready ? 2 : 1)
    }

    function test_keyChoicesGoThroughTheApplication() {
        const view = make("fn", 3, true, 1)
        view.onboarding.keyboardOptions = ["grp:rctrl_toggle"]
        mouseClick(button(view, "Use right Alt"))
        compare(view.onboarding.key, "rightOption")
        verify(texts(view).includes("right Alt is your dictation key"))
        verify(view.primaryButton.enabled)
        mouseClick(button(view, "Hold right Super"))
        compare(view.onboarding.key, "rightCommand")
        compare(fixture.chosenKeys, ["rightOption", "rightCommand"])
        // The focus a click leaves behind doesn't show, so Return moves on.
        keyClick(Qt.Key_Return)
        compare(fixture.chosenKeys, ["rightOption", "rightCommand"])
        compare(view.onboarding.step, 2)
    }

    // Tab from the window visits each control of the step, then the footer's buttons, and comes
    // round again; each shows its ring.
    function test_tabOrder_data() {
        return [
            { tag: "welcome", step: 0, order: ["Get started"] },
            { tag: "key", step: 1, order: ["Hold right Ctrl", "Hold right Alt", "Hold right Super", "Back", "Continue"] },
            // Without a sound settings tool the microphone row has no button; only typing gates Continue.
            { tag: "permissions", step: 2, panels: false, order: ["Open Settings", "Back", "Continue"] },
            { tag: "try it", step: 3, order: ["Practice field", "Back", "Continue"] },
            { tag: "done", step: 4, order: ["Back", "Start dictating"] },
        ]
    }
    function test_tabOrder(data) {
        fixture.hasPanels = data.panels !== false
        make("rightOption", 0, false, data.step)
        fixture.hasPanels = true
        compare(tour(), data.order)
    }
    // The names Tab visits until it comes round again; a stop without a ring is marked.
    function tour() {
        const names = []
        for (let i = 0; i < 20; ++i) {
            keyClick(Qt.Key_Tab)
            const name = focused().Accessible.name + (ringShown() ? "" : " (no ring)")
            if (names.length > 0 && name === names[0])
                break
            names.push(name)
        }
        return names
    }

    // A notice that comes while the step is open takes its place in the Tab order as drawn.
    function test_aLateNoticeComesWhereItIsDrawn() {
        const view = make("fn", 3, true, 1)
        view.onboarding.keyboardOptions = ["grp:rctrl_toggle"]
        compare(tour(), ["Use right Alt", "Open Keyboard Settings", "Hold right Ctrl", "Hold right Alt",
                         "Hold right Super", "Back"])
    }

    // A button pressed from the keyboard that goes with what it asked for hands the keyboard to
    // the next control, or to the key it chose, showing its ring.
    function test_aButtonThatGoesHandsTheKeyboardOn_data() {
        return [
            { tag: "use right Alt", step: 1, options: ["grp:rctrl_toggle"], button: "Use right Alt",
              next: "Hold right Alt" },
            { tag: "open settings", step: 2, button: "Open Settings", next: "Back" },
        ]
    }
    function test_aButtonThatGoesHandsTheKeyboardOn(data) {
        const view = make("fn", 3, false, data.step)
        view.onboarding.keyboardOptions = data.options ?? []
        keyClick(Qt.Key_Tab)
        compare(focused().Accessible.name, data.button)
        keyClick(Qt.Key_Return)
        tryVerify(() => focused().Accessible.name === data.next, 5000, focused().Accessible.name)
        verify(focused().visible)
        verify(ringShown())
    }

    // Continue turned off under the keyboard (an option takes the chosen key) hands it to Back,
    // and Tab goes on through the notice as drawn.
    function test_continueTurnedOffUnderTheKeyboardHandsItOn() {
        const view = make("fn", 3, true, 1)
        keyClick(Qt.Key_Backtab)
        compare(focused().Accessible.name, "Continue")
        view.onboarding.keyboardOptions = ["grp:rctrl_toggle"]
        tryVerify(() => focused().Accessible.name === "Back", 5000, focused().Accessible.name)
        verify(ringShown())
        compare(tour(), ["Use right Alt", "Open Keyboard Settings", "Hold right Ctrl", "Hold right Alt",
                         "Hold right Super", "Back"])
    }

    function test_aKeyChosenByKeyboardThenReturnMovesOn() {
        const view = make("fn", 3, true, 1)
        keyClick(Qt.Key_Tab)
        keyClick(Qt.Key_Tab)
        keyClick(Qt.Key_Space)
        compare(view.onboarding.key, "rightOption")
        keyClick(Qt.Key_Tab)
        keyClick(Qt.Key_Return)
        compare(view.onboarding.key, "rightCommand")
        compare(view.onboarding.step, 1)
        keyClick(Qt.Key_Return)
        compare(view.onboarding.step, 2)
    }

    // The key choices are one group: the arrows walk them, as in a radio group, and choose nothing.
    function test_arrowsWalkTheKeyChoices() {
        const view = make("fn", 3, true, 1)
        keyClick(Qt.Key_Tab)
        const visited = []
        for (const key of [Qt.Key_Right, Qt.Key_Right, Qt.Key_Right, Qt.Key_Left, Qt.Key_Left, Qt.Key_Left]) {
            keyClick(key)
            visited.push(focused().Accessible.name)
        }
        compare(visited, ["Hold right Alt", "Hold right Super", "Hold right Super", "Hold right Alt", "Hold right Ctrl",
                          "Hold right Ctrl"])
        compare(view.onboarding.key, "fn")
    }

    // Continue waits only for typing; each row ends in "Allowed", a button that does something, or
    // a word on why nothing here can help.
    function test_permissions_data() {
        return [
            { tag: "everything", mic: 3, trusted: true, micEnd: "Allowed", axEnd: "Allowed", notice: false },
            { tag: "no microphone, switch off", mic: 1, trusted: false, micEnd: "Open Settings", axEnd: "Open Settings",
              notice: true },
            { tag: "no microphone, no settings tool", mic: 1, trusted: true, panels: false, micEnd: "Not found",
              axEnd: "Allowed", notice: true },
            { tag: "no accessibility bus", mic: 3, trusted: false, hasSwitch: false, micEnd: "Allowed",
              axEnd: "Not on this desktop", notice: false },
            { tag: "no XTest", mic: 3, trusted: true, typing: false, micEnd: "Allowed", axEnd: "Allowed", notice: false },
        ]
    }
    function test_permissions(data) {
        fixture.typing = data.typing !== false
        fixture.hasSwitch = data.hasSwitch !== false
        fixture.hasPanels = data.panels !== false
        const view = make("fn", data.mic, data.trusted, 2)
        fixture.typing = fixture.hasSwitch = fixture.hasPanels = true
        const rowEnd = name => {
            const row = findChild(view, name)
            const button = buttons(row).find(b => b.primary !== undefined)
            const shown = texts(row)
            return button ? button.text : shown[shown.length - 1]
        }
        compare(rowEnd("microphoneRow"), data.micEnd)
        compare(rowEnd("accessibilityRow"), data.axEnd)
        compare(findChild(view, "microphoneNotice").visible, data.notice)
        compare(findChild(view, "typingNotice").visible, data.typing === false)
        compare(view.primaryButton.enabled, data.typing !== false)
        if (data.axEnd === "Open Settings") {
            mouseClick(button(findChild(view, "accessibilityRow"), "Open Settings"))
            tryCompare(view.onboarding, "axTrusted", true)
        }
    }

    function test_tryIt() {
        const view = make("rightOption", 3, true, 3)
        const field = findChild(view, "practiceBox").children[0]
        tryVerify(() => field.editor.activeFocus)
        verify(findChild(view, "loadingBlock").visible)
        verify(texts(view).includes("The speech model is getting ready…"))
        verify(!findChild(view, "placeholder").visible)

        view.onboarding.modelReady = true
        verify(!findChild(view, "loadingBlock").visible)
        verify(findChild(view, "placeholder").visible)
        verify(texts(view).includes("Hold right Alt and read this, or say anything you like. Let go when you’re done."))

        // The focused field keeps Return: it types a new line and the step stays.
        keyClick("a")
        keyClick(Qt.Key_Return)
        compare(view.onboarding.step, 3)
        compare(view.onboarding.practice, "a\n")
        verify(!findChild(view, "placeholder").visible)

        view.onboarding.dictated = "   "
        verify(texts(view).includes("That’s it. Hold right Alt again to try once more, or continue."))
        verify(!findChild(view, "notesRow").visible)
        view.onboarding.dictated = "یه meeting، باشه"
        const notes = texts(findChild(view, "notesRow"))
        compare(notes, ["meeting stayed in English", "Persian punctuation"])
    }

    function test_theSampleSentenceStartsAtTheRight() {
        const sample = findChild(make("rightOption", 3, true, 3), "sampleSentence")
        compare(sample.effectiveHorizontalAlignment, Text.AlignRight)
    }
}
}
