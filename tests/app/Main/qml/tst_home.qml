import QtQuick
import QtTest
import Quillmarsh.App

Item {
    id: stage
    width: 888
    height: 810

    Component {
        id: homePage
        HomeView { anchors.fill: parent; model: appModel }
    }
    Component {
        id: mainView
        MainView { anchors.fill: parent; model: appModel }
    }
    Component {
        id: pasteField
        TextInput { width: 400; height: 30 }
    }

    TestCase {
        name: "Home"
        when: windowShown

        function show() { return createTemporaryObject(homePage, parent) }

        function notices(page) {
            return ["micNotice", "typingNotice", "accessibilityNotice"].filter(name => findChild(page, name).visible)
        }

        // The first-run window's facts: a microphone, XTest and the accessibility switch; nothing
        // is said of a switch the desktop doesn't have.
        function test_noticesFollowTheDesktopAtTheNextPoll() {
            desktop.hasMicrophone = false
            desktop.switchState = "absent"
            const page = show()
            compare(notices(page), ["micNotice"])
            desktop.hasMicrophone = true
            compare(notices(page), ["micNotice"], "nothing changes before the poll")
            page.home.poll()
            verify(!findChild(page, "attention").visible)

            desktop.typing = false
            desktop.switchState = "off"
            page.home.poll()
            compare(notices(page), ["typingNotice", "accessibilityNotice"])
            desktop.typing = true
            desktop.switchState = "on"
        }

        // Each notice's sign stands by its own lines, also on a Home built after the window changed
        // size on another page.
        function test_eachNoticeSignStandsByItsLinesAfterAResizeElsewhere() {
            desktop.hasMicrophone = false
            desktop.switchState = "off"
            appModel.section = "settings"
            const view = createTemporaryObject(mainView, stage)
            waitForRendering(view)
            stage.width = 1200
            appModel.section = "home"
            waitForRendering(view)
            const shown = notices(view.page)
            compare(shown, ["micNotice", "accessibilityNotice"])
            for (const name of shown) {
                const line = findChild(findChild(view.page, name), "noticeLine")
                const sign = line.parent.children[0]
                const middle = sign.mapToItem(line, 0, sign.height / 2).y
                verify(middle > 0 && middle < line.contentHeight, name + ": the sign at " + middle + " of "
                       + line.contentHeight)
            }
            stage.width = 888
            desktop.hasMicrophone = true
            desktop.switchState = "on"
        }

        function test_accessibilityButtonTurnsTheSwitchOn() {
            desktop.switchState = "off"
            const page = show()
            const opened = desktop.panelsOpened
            mouseClick(findChild(findChild(page, "accessibilityNotice"), "noticeButton"))
            compare(desktop.switchState, "on")
            compare(desktop.panelsOpened, opened + 1)
            verify(!findChild(page, "attention").visible)
        }

        function test_recentShowsTheThreeNewestAndOpensOne() {
            const ids = []
            for (let index = 0; index < 5; ++index)
                ids.push(records.addDictation("dictation " + index))
            const page = show()
            const rows = []
            for (let index = 0; index < 5; ++index) {
                const row = findChild(page, "recent-" + ids[index])
                if (row)
                    rows.push(index)
            }
            compare(rows, [2, 3, 4])
            mouseClick(findChild(page, "recent-" + ids[4]))
            compare(appModel.selectedHistory, ids[4])
            compare(appModel.section, "history")

            appModel.historyEnabled = false
            verify(findChild(page, "historyNote").visible)
            compare(findChild(page, "historyNote").text, "History is off. Turn it on in Settings to see your dictations here.")
            verify(findChild(page, "allHistory").visible)
            appModel.historyEnabled = true
            records.clearHistory()
            compare(findChild(page, "historyNote").text, "Your dictations will appear here, on this computer only.")
            verify(!findChild(page, "allHistory").visible)
        }

        // Page text is selected with the mouse, copied with Ctrl+C, and read by screen readers.
        function test_aPageLineIsSelectedAndCopied() {
            const page = show()
            const line = findChild(page, "pageSubtitle")
            compare(line.text, page.home.today)
            compare(line.Accessible.role, Accessible.StaticText)
            compare(line.Accessible.name, line.text)
            waitForRendering(page)
            mouseDrag(line, 1, line.height / 2, line.contentWidth + 4, 0)
            compare(line.selectedText, line.text)
            keySequence(StandardKey.Copy)
            const field = createTemporaryObject(pasteField, parent)
            field.forceActiveFocus()
            keySequence(StandardKey.Paste)
            compare(field.text, page.home.today)
        }

        function test_everydayStyleSetsThreeKindsAndKeepsEmailAndCode() {
            const page = show()
            const emailBefore = appModel.styleFor("email")
            const codeBefore = appModel.styleFor("code")
            findChild(page, "everydayStyle").picked("formal")
            for (const category of ["messaging", "documents", "other"])
                compare(appModel.styleFor(category), "formal", category)
            compare(appModel.styleFor("email"), emailBefore)
            compare(appModel.styleFor("code"), codeBefore)
            compare(page.home.everydayStyle, "formal")
        }
    }
}
