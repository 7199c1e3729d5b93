import QtQuick
import QtTest
import Quillmarsh.App
import Quillmarsh.Design

// The main window without a mouse: Tab and Shift-Tab visit every control of each page in reading
// order, the arrows walk the sidebar and the pickers, Space and Return press, Escape closes. After
// an action the focus lands where the user sees it, on something safe to press again.
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
        // The words, snippets and application styles a test added go again.
        function cleanup() {
            show("snippets")
            const snippets = findChild(view.page, "snippetList")
            while (snippets.count > 0) {
                snippets.forceLayout()
                view.page.editor.remove(snippets.itemAtIndex(0).snippetId)
            }
            show("styles")
            for (const app of view.page.choices.apps)
                view.page.choices.removeApp(app)
            show("vocabulary")
            const words = findChild(view.page, "wordList")
            while (words.count > 0) {
                words.forceLayout()
                view.page.editor.remove(words.itemAtIndex(0).entryId)
            }
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
            // Each choice is named with its group.
            const style = group => ["As spoken", "Clean", "Formal"].map(value => group + ": " + value)
            const kinds = ["Email", "Messaging", "Documents and notes", "Code and terminals", "Everything else"]
            const chips = ["All", "Email", "Messaging", "Notes", "Code"].map(chip => "Category: " + chip)
            return [
                { tag: "home", section: "home", order: ["Per app →"].concat(style("Writing style")) },
                { tag: "home with a dictation", section: "home", dictation: "Hello there",
                  order: ["Per app →"].concat(style("Writing style"), ["All history →", /, Hello there$/]) },
                { tag: "history", section: "history", order: ["Search your dictations"].concat(chips) },
                { tag: "history with a dictation", section: "history", dictation: "Hello there",
                  order: ["Clear history", "Search your dictations"].concat(chips,
                         [/^TODAY, Unknown app, .*, Hello there$/, "Copy", "Delete this dictation", "Turn on"]) },
                { tag: "styles", section: "styles",
                  order: kinds.reduce((all, kind) => all.concat([kind], style(kind)), []).concat(["Set a style for one app"]) },
                { tag: "snippets", section: "snippets",
                  order: ["New snippet", "When I say", "Insert this text", "Insert exactly as written", "Save"] },
                { tag: "vocabulary", section: "vocabulary", order: ["New vocabulary word"] },
                { tag: "account", section: "account", order: ["Continue with Google", "Email address"] },
                { tag: "settings", section: "settings",
                  order: ["Dictation key: right Ctrl", "Dictation key: right Alt", "Dictation key: right Super",
                          "Sound settings", "Model on this computer: Quick",
                          "Model on this computer: Accurate",
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

        // Tabs on until the control named `name` (a string or a pattern) has the focus.
        function focusOn(name) {
            const matches = () => typeof name === "string" ? nameOf(focused()) === name : name.test(nameOf(focused()))
            for (let i = 0; i < 80 && !matches(); ++i)
                keyClick(Qt.Key_Tab)
            verify(matches(), nameOf(focused()))
        }
        // Whether `item` lies whole inside every scrolled view that holds it.
        function inView(item) {
            for (let scroller = item.parent; scroller; scroller = scroller.parent) {
                if (scroller.contentY === undefined || scroller.contentItem === undefined)
                    continue
                const top = item.mapToItem(scroller, 0, 0).y
                if (top < 0 || top + item.height > scroller.height)
                    return false
            }
            return true
        }
        function addWord(word) {
            view.page.editor.draft = word
            view.page.editor.add()
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
            focusOn("Writing style: As spoken")
            keyClick(Qt.Key_Right)
            compare(nameOf(focused()), "Writing style: Clean")
            keyClick(Qt.Key_Right)
            keyClick(Qt.Key_Right)
            compare(nameOf(focused()), "Writing style: Formal")
            keyClick(Qt.Key_Return)
            verify(focused().selected)
            keyClick(Qt.Key_Left)
            keyClick(Qt.Key_Space)
            compare(nameOf(focused()), "Writing style: Clean")
            verify(focused().selected)
        }

        function test_arrowsWalkAListAndKeysOpenARow() {
            const older = records.addDictation("First words")
            const newer = records.addDictation("Second words")
            appModel.selectedHistory = ""
            show("history")
            focusOn("Category: Code")
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
        }

        // The menu opens on the period kept now: Return keeps it, the arrows start from it.
        function test_theRetentionMenuOpensOnTheCurrentPeriod() {
            appModel.historyEnabled = true
            appModel.historyDays = 30
            show("settings")
            focusOn("Keep it for")
            keyClick(Qt.Key_Space)
            const menu = findChild(view.page, "retentionMenu")
            tryVerify(() => menu.opened)
            compare(focused().text, "30 days")
            keyClick(Qt.Key_Return)
            tryVerify(() => !menu.visible)
            compare(appModel.historyDays, 30)
            keyClick(Qt.Key_Return)
            tryVerify(() => menu.opened)
            keyClick(Qt.Key_Down)
            keyClick(Qt.Key_Return)
            tryCompare(appModel, "historyDays", 90)
        }

        // The question before the history is emptied opens on Cancel with its ring, however it
        // was left the last time: Space then deletes nothing. After the deletion the keyboard is
        // on the page, not on the button that went grey.
        function test_aDeletionDialogOpensOnCancel() {
            records.addDictation("Hello there")
            show("history")
            focusOn("Clear history")
            const dialog = findChild(view, "confirmClear")
            const reopen = () => {
                keyClick(Qt.Key_Return)
                tryVerify(() => dialog.opened)
                compare(nameOf(focused()), "Cancel")
                verify(ringShown())
            }
            reopen()
            keyClick(Qt.Key_Backtab)
            compare(nameOf(focused()), "Delete everything")
            keyClick(Qt.Key_Escape)
            tryVerify(() => !dialog.visible)
            compare(nameOf(focused()), "Clear history")
            reopen()
            keyClick(Qt.Key_Space)
            tryVerify(() => !dialog.visible)
            verify(!view.page.results.storeEmpty, "Space on Cancel deletes nothing")

            reopen()
            keyClick(Qt.Key_Backtab)
            keyClick(Qt.Key_Space)
            tryVerify(() => view.page.results.storeEmpty)
            tryCompare(stage.Window, "activeFocusItem", findChild(view.page, "search").editor)
            verify(ringShown())
        }

        function test_deletingADictationLeavesTheFocusOnTheListNotOnTheNextDelete() {
            const ids = []
            for (let i = 0; i < 12; ++i)
                ids.push(records.addDictation("Words number " + i))
            appModel.selectedHistory = ids[0]
            show("history")
            focusOn("Delete this dictation")
            const list = findChild(view.page, "list")
            list.positionViewAtEnd()
            keyClick(Qt.Key_Return)
            // The newest entry is shown now, and its row at the top has the focus, in view.
            compare(focused().objectName, "historyRow")
            compare(focused().entryId.toLowerCase(), ids[11])
            verify(ringShown())
            verify(inView(focused()))
            // Another Return opens the row, it deletes nothing.
            keyClick(Qt.Key_Return)
            compare(list.count, 11)
        }

        function test_deletingASnippetLeavesTheFocusOnTheSnippetShownNext() {
            show("snippets")
            for (const phrase of ["my address", "my signature"]) {
                view.page.editor.startNew()
                view.page.editor.trigger = phrase
                view.page.editor.text = "The text for " + phrase
                view.page.editor.save()
            }
            waitForRendering(view)
            focusOn("Delete")
            keyClick(Qt.Key_Return)
            // The editor shows the first snippet now, and its row in the list has the focus.
            compare(focused().snippetId, view.page.editor.editing)
            verify(ringShown())
            keyClick(Qt.Key_Return)
            compare(view.page.snippets.count, 1)
            focusOn("Delete")
            keyClick(Qt.Key_Return)
            compare(nameOf(focused()), "When I say")
            verify(ringShown())
        }

        function test_removingARowMovesTheFocusToItsNeighbour_data() {
            return [
                { tag: "words", section: "vocabulary", add: word => addWord(word), names: ["alpha", "beta", "gamma"],
                  start: "Remove beta", then: ["Remove alpha", "Remove gamma", "New vocabulary word"] },
                { tag: "application styles", section: "styles", add: app => view.page.choices.addApp(app),
                  names: ["org.a", "org.b", "org.c"], start: "Remove the style for org.b",
                  then: ["Remove the style for org.c", "Remove the style for org.a", "Set a style for one app"] },
            ]
        }
        function test_removingARowMovesTheFocusToItsNeighbour(data) {
            show(data.section)
            data.names.forEach(data.add)
            waitForRendering(view)
            focusOn(data.start)
            const visited = []
            for (let i = 0; i < data.then.length; ++i) {
                keyClick(Qt.Key_Return)
                visited.push(nameOf(focused()) + (ringShown() ? "" : " (no ring)"))
            }
            compare(visited, data.then)
        }

        function test_aPageLinkLeavesTheFocusOnThePageItOpens_data() {
            return [
                { tag: "per app", link: "Per app →", section: "styles", focus: "Email" },
                { tag: "all history", link: "All history →", section: "history",
                  focus: /^TODAY, Unknown app, .*, Second words$/ },
                { tag: "a recent dictation", link: /, First words$/, section: "history",
                  focus: /^Unknown app, .*, First words$/ },
            ]
        }
        function test_aPageLinkLeavesTheFocusOnThePageItOpens(data) {
            records.addDictation("First words")
            records.addDictation("Second words")
            show("home")
            focusOn(data.link)
            keyClick(Qt.Key_Return)
            compare(appModel.section, data.section)
            verify(typeof data.focus === "string" ? nameOf(focused()) === data.focus : data.focus.test(nameOf(focused())),
                   nameOf(focused()))
            verify(ringShown())
            verify(Keyboard.isInside(focused(), view.page))
            if (data.section === "history")
                compare(focused().entryId, view.page.results.current)
        }

        // A control taken away or turned off under the keyboard hands it to a control in view,
        // with its ring, never to one that removes something.
        function test_aNoticeThatGoesWithTheFocusHandsItOn() {
            desktop.switchState = "off"
            show("home")
            view.page.home.poll()
            focusOn("Open Accessibility settings")
            // The switch turns on at once, and its notice goes.
            keyClick(Qt.Key_Return)
            compare(desktop.switchState, "on")
            tryVerify(() => nameOf(focused()) === "Per app →", 5000, nameOf(focused()))
            verify(ringShown())
            keyClick(Qt.Key_Backtab)
            compare(nameOf(focused()), "Settings")
        }
        function test_addTurnedOffByItsOwnReturnHandsTheKeyboardToTheField() {
            show("vocabulary")
            addWord("alpha")
            focusOn("New vocabulary word")
            for (const letter of "beta")
                keyClick(letter)
            focusOn("Add")
            keyClick(Qt.Key_Return)
            tryVerify(() => nameOf(focused()) === "New vocabulary word", 5000, nameOf(focused()))
            verify(ringShown())
            compare(view.page.editor.draft, "")
        }

        function test_aNewWordComesFirstForTabAndArrows() {
            show("vocabulary")
            addWord("alpha")
            addWord("beta")
            waitForRendering(view)
            focusOn("New vocabulary word")
            for (const letter of "gamma")
                keyClick(letter)
            keyClick(Qt.Key_Return)
            // The list shows the word on its next frame.
            waitForRendering(view)
            keyClick(Qt.Key_Tab)
            compare(nameOf(focused()), "Remove gamma")
            keyClick(Qt.Key_Down)
            compare(nameOf(focused()), "Remove beta")
            keyClick(Qt.Key_Up)
            compare(nameOf(focused()), "Remove gamma")
        }

        // The choices of one group are walked by the arrows, as in a radio group; moving chooses
        // nothing.
        function test_arrowsMoveWithinAGroupOfChoices_data() {
            return [
                { tag: "dictation keys", section: "settings",
                  names: ["right Ctrl", "right Alt", "right Super"].map(key => "Dictation key: " + key),
                  chosen: () => appModel.dictationKey },
                { tag: "kinds of app", section: "history",
                  names: ["All", "Email", "Messaging", "Notes", "Code"].map(chip => "Category: " + chip),
                  chosen: () => view.page.results.category },
            ]
        }
        function test_arrowsMoveWithinAGroupOfChoices(data) {
            show(data.section)
            const before = data.chosen()
            focusOn(data.names[0])
            const visited = []
            for (const key of data.names.map(() => Qt.Key_Right).concat(data.names.map(() => Qt.Key_Left))) {
                keyClick(key)
                visited.push(nameOf(focused()))
            }
            // At either end the focus stays.
            const last = data.names.length - 1
            compare(visited, data.names.slice(1).concat([data.names[last]],
                                                        data.names.slice(0, last).reverse(), [data.names[0]]))
            compare(data.chosen(), before)
        }
    }
}
