import QtQuick
import QtTest
import Quillmarsh.App

// The main window without a mouse: Tab and Shift-Tab visit every control of each page in reading
// order, the arrows walk the sidebar and the pickers, Space and Return press, Escape closes.
Item {
    id: stage
    width: 1120
    height: 810

    MainView {
        id: view
        anchors.fill: parent
        model: appModel
    }

    TestCase {
        name: "Keyboard"
        when: windowShown

        readonly property var sidebar: ["Home", "History", "Styles", "Snippets", "Vocabulary", "Sign in", "Settings"]

        function focused() { return stage.Window.activeFocusItem }
        function nameOf(item) { return item ? item.Accessible.name : "(nothing)" }
        function init() {
            records.clearHistory()
        }
        function show(section) {
            appModel.section = section
            findChild(view, "nav-home").forceActiveFocus(Qt.TabFocusReason)
            waitForRendering(view)
        }
        // Whether the focused control, or the box of a focused field, shows its ring.
        function ringShown() {
            for (let item = focused(); item; item = item.parent) {
                for (let i = 0; i < item.children.length; ++i) {
                    if (item.children[i].objectName === "focusRing")
                        return item.children[i].visible
                }
            }
            return false
        }
        // The names the focus visits from the sidebar's first row until it comes back to it; a
        // stop without a ring is marked.
        function tour(key) {
            const start = focused()
            const names = [nameOf(start)]
            for (let i = 0; i < 80; ++i) {
                keyClick(key)
                if (focused() === start)
                    return names
                names.push(nameOf(focused()) + (ringShown() ? "" : " (no ring)"))
            }
            return names
        }

        // After the sidebar's rows, each page's controls, in reading order.
        function test_tabOrder_data() {
            const style = ["As spoken", "Clean", "Formal"]
            const kinds = ["Email", "Messaging", "Documents and notes", "Code and terminals", "Everything else"]
            const chips = ["All", "Email", "Messaging", "Notes", "Code"]
            return [
                { tag: "home", section: "home", order: ["Per app →"].concat(style) },
                { tag: "home with a dictation", section: "home", dictation: "Hello there",
                  order: ["Per app →"].concat(style, ["All history →", /, Hello there$/]) },
                { tag: "history", section: "history", order: ["Search your dictations"].concat(chips) },
                { tag: "history with a dictation", section: "history", dictation: "Hello there",
                  order: ["Clear history", "Search your dictations"].concat(chips,
                         [/^Unknown app, /, "Copy", "Delete this dictation", "Turn on"]) },
                { tag: "styles", section: "styles",
                  order: kinds.reduce((all, kind) => all.concat([kind], style), []).concat(["Set a style for one app"]) },
                { tag: "snippets", section: "snippets",
                  order: ["New snippet", "When I say", "Insert this text", "Insert exactly as written", "Save"] },
                { tag: "vocabulary", section: "vocabulary", order: ["New vocabulary word"] },
                { tag: "account", section: "account", order: ["Continue with Google", "Email address"] },
                { tag: "settings", section: "settings",
                  order: ["right Ctrl", "right Alt", "right Super", "Sound settings", "Quick", "Accurate",
                          "Improve after inserting", "Keep history on this computer", "Keep it for",
                          "Help improve Persian speech", "Open at login", "Send feedback…", "Acknowledgements",
                          "Show setup again…"] },
            ]
        }
        function test_tabOrder(data) {
            if (data.dictation)
                appModel.selectedHistory = records.addDictation(data.dictation)
            show(data.section)
            const forward = tour(Qt.Key_Tab)
            const expected = sidebar.concat(data.order)
            verify(forward.length === expected.length
                   && expected.every((name, i) => typeof name === "string" ? forward[i] === name : name.test(forward[i])),
                   JSON.stringify(forward))
            compare(tour(Qt.Key_Backtab), [forward[0]].concat(forward.slice(1).reverse()))
        }

        // Tabs on until the control named `name` has the focus.
        function focusOn(name) {
            for (let i = 0; i < 80 && nameOf(focused()) !== name; ++i)
                keyClick(Qt.Key_Tab)
            compare(nameOf(focused()), name)
        }

        function test_arrowsWalkTheSidebarAndKeysOpenItsPages() {
            show("home")
            keyClick(Qt.Key_Up)
            compare(nameOf(focused()), "Home")
            keyClick(Qt.Key_Down)
            keyClick(Qt.Key_Down)
            compare(nameOf(focused()), "Styles")
            keyClick(Qt.Key_Up)
            keyClick(Qt.Key_Return)
            compare(appModel.section, "history")
            for (let i = 0; i < 5; ++i)
                keyClick(Qt.Key_Down)
            compare(nameOf(focused()), "Settings")
            keyClick(Qt.Key_Down)
            compare(nameOf(focused()), "Settings")
            keyClick(Qt.Key_Space)
            compare(appModel.section, "settings")
        }

        function test_spaceAndReturnFlipASwitch() {
            show("settings")
            focusOn("Improve after inserting")
            const before = appModel.improveAfterInserting
            keyClick(Qt.Key_Space)
            compare(appModel.improveAfterInserting, !before)
            keyClick(Qt.Key_Return)
            compare(appModel.improveAfterInserting, before)
        }

        function test_arrowsMoveAlongAPickerAndKeysChoose() {
            show("home")
            focusOn("As spoken")
            keyClick(Qt.Key_Right)
            compare(nameOf(focused()), "Clean")
            keyClick(Qt.Key_Right)
            keyClick(Qt.Key_Right)
            compare(nameOf(focused()), "Formal")
            keyClick(Qt.Key_Return)
            verify(focused().selected)
            keyClick(Qt.Key_Left)
            keyClick(Qt.Key_Space)
            compare(nameOf(focused()), "Clean")
            verify(focused().selected)
        }

        function test_arrowsWalkAListAndKeysOpenARow() {
            const older = records.addDictation("First words")
            const newer = records.addDictation("Second words")
            appModel.selectedHistory = ""
            show("history")
            focusOn("Code")
            keyClick(Qt.Key_Tab)
            const top = focused()
            compare(top.entryId.toLowerCase(), newer)
            keyClick(Qt.Key_Down)
            compare(focused().entryId.toLowerCase(), older)
            keyClick(Qt.Key_Down)
            compare(focused().entryId.toLowerCase(), older)
            keyClick(Qt.Key_Return)
            compare(view.page.results.current.toLowerCase(), older)
            keyClick(Qt.Key_Up)
            verify(focused() === top)
            keyClick(Qt.Key_Space)
            compare(view.page.results.current.toLowerCase(), newer)
        }

        function test_escapeClosesDialogsPopoversAndMenus() {
            records.addDictation("Hello there")
            show("history")
            focusOn("Clear history")
            keyClick(Qt.Key_Return)
            const dialog = findChild(view, "confirmClear")
            tryVerify(() => dialog.opened)
            // Tab stays inside the open dialog.
            const inDialog = []
            for (let i = 0; i < 3; ++i) {
                keyClick(Qt.Key_Tab)
                inDialog.push(nameOf(focused()))
            }
            compare(inDialog, ["Delete everything", "Cancel", "Delete everything"])
            keyClick(Qt.Key_Escape)
            tryVerify(() => !dialog.visible)
            verify(view.page.results.storeEmpty === false)

            show("styles")
            focusOn("Set a style for one app")
            keyClick(Qt.Key_Return)
            const picker = findChild(view.page, "picker")
            tryVerify(() => picker.opened)
            keyClick(Qt.Key_Escape)
            tryVerify(() => !picker.visible)

            appModel.historyEnabled = true
            appModel.historyDays = 30
            show("settings")
            focusOn("Keep it for")
            keyClick(Qt.Key_Return)
            const menu = findChild(view.page, "retentionMenu")
            tryVerify(() => menu.opened)
            keyClick(Qt.Key_Escape)
            tryVerify(() => !menu.visible)
            compare(appModel.historyDays, 30)
            keyClick(Qt.Key_Space)
            tryVerify(() => menu.opened)
            keyClick(Qt.Key_Down)
            keyClick(Qt.Key_Return)
            tryCompare(appModel, "historyDays", 7)
        }
    }
}
