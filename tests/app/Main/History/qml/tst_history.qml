import QtQuick
import QtTest
import Quillmarsh.App
import Quillmarsh.Testing

Item {
    id: root
    width: 1100
    height: 800

TestCase {
    id: testCase
    name: "HistoryPage"
    when: windowShown

    Component {
        id: fixtureMaker
        HistoryFixture {}
    }
    Component {
        id: pageMaker
        HistoryView {
            width: 1100
            height: 800
        }
    }

    function openPage(fixture) {
        const page = createTemporaryObject(pageMaker, root, { model: fixture.appModel })
        waitForRendering(page)
        return page
    }

    function find(page, name) {
        const item = findChild(page, name)
        verify(item, name)
        return item
    }

    function test_searchAndChips_data() {
        return [
            { tag: "all", query: "", category: "", count: 3, empty: "" },
            { tag: "text", query: "FINAL", category: "", count: 1, empty: "" },
            { tag: "email chip", query: "", category: "email", count: 1, empty: "" },
            { tag: "chip without entries", query: "", category: "documents", count: 0, empty: "No matches" },
            { tag: "no match", query: "zebra", category: "", count: 0, empty: "No matches" },
        ]
    }
    function test_searchAndChips(data) {
        const page = openPage(createTemporaryObject(fixtureMaker, testCase))
        page.results.query = data.query
        page.results.category = data.category
        compare(page.results.rowCount(), data.count)
        compare(page.results.emptyTitle, data.empty)
        compare(find(page, "detail").visible, data.count > 0)
        compare(find(page, "empty").visible, data.empty !== "")
    }

    function test_typingAndChipsDriveTheList() {
        const page = openPage(createTemporaryObject(fixtureMaker, testCase))
        const search = find(page, "search")
        search.editor.forceActiveFocus()
        for (const c of "report")
            keyClick(c)
        compare(page.results.query, "report")
        compare(find(page, "list").count, 1)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_Backspace)
        mouseClick(find(page, "chip-Messaging"))
        compare(page.results.category, "messaging")
        compare(find(page, "list").count, 1)
        const on = ["All", "Email", "Messaging", "Notes", "Code"].filter(title => find(page, "chip-" + title).on)
        compare(on, ["Messaging"])
    }

    function test_selectionFallsBackToNewest() {
        const fixture = createTemporaryObject(fixtureMaker, testCase)
        fixture.appModel.selectedHistory = fixture.persian
        const page = openPage(fixture)
        compare(page.results.current, fixture.persian)
        compare(fixture.appModel.selectedHistory, "")
        page.results.category = "email"
        compare(page.results.current, fixture.english)
        page.results.category = ""
        compare(page.results.current, fixture.persian)

        fixture.appModel.selectedHistory = "00000000-0000-0000-0000-000000000001"
        const other = openPage(fixture)
        compare(other.results.current, fixture.english)
        compare(fixture.appModel.selectedHistory, "")
    }

    function test_recordingPanel_data() {
        return [
            { tag: "recordings off", entry: "english", keep: false, history: true, panel: "off",
              text: "Want to share clips to improve Persian speech? Turn on recordings. New dictations are kept here for 7 days.",
              button: "Turn on" },
            { tag: "kept", entry: "persian", keep: true, history: true, panel: "offer",
              text: "Was a word wrong? Send this clip to help improve Persian speech.", button: "Share clip\u2026" },
            { tag: "none", entry: "english", keep: true, history: true, panel: "none",
              text: "There is no recording of this one: recordings are kept only for dictations made while it\u2019s on. Your next dictation can be shared from here.",
              button: "" },
            { tag: "history off", entry: "english", keep: true, history: false, panel: "none",
              text: "Recordings need history to be on. Turn it on in Settings.", button: "" },
            { tag: "shared", entry: "shared", keep: false, history: true, panel: "shared", text: "", button: "" },
        ]
    }
    function test_recordingPanel(data) {
        const fixture = createTemporaryObject(fixtureMaker, testCase)
        fixture.appModel.keepClips = data.keep
        fixture.appModel.historyEnabled = data.history
        const page = openPage(fixture)
        page.results.selected = fixture[data.entry]
        const detail = find(page, "detail").detail
        compare(detail.panel, data.panel)
        compare(find(page, "retention").visible, data.keep)
        if (data.panel === "shared") {
            compare(find(page, "clipCode").text, "QM-7K2F")
            compare(find(page, "withdraw").text, "Delete from Quillmarsh")
            return
        }
        compare(find(page, "panelText").text, data.text)
        const button = find(page, "panelButton")
        compare(button.visible, data.button !== "")
        if (data.button !== "") {
            compare(button.text, data.button)
            mouseClick(button)
            if (data.panel === "off")
                verify(fixture.appModel.keepClips)
            else
                compare(fixture.shareRequest, fixture.persian)
        }
    }

    function test_detailShowsWhatChanged() {
        const fixture = createTemporaryObject(fixtureMaker, testCase)
        const page = openPage(fixture)
        const pane = find(page, "detail")
        compare(find(page, "details").text.endsWith("\u00b7 8 words"), true)
        compare(find(page, "note").text, "Clean tidied the punctuation and wording.")
        verify(!find(page, "plainText").visible)
        pane.detail.showSpoken = true
        verify(find(page, "plainText").visible)
        compare(find(page, "plainText").shown, "send me the report by friday i guess")
        mouseClick(find(page, "copy"))
        compare(find(page, "copy").text, "Copied")
        page.results.selected = fixture.persian
        compare(find(page, "copy").text, "Copy")
        verify(!pane.detail.showSpoken)
        compare(find(page, "note").text,
                "Formal turned spoken forms into written Persian and added the punctuation.")
        compare(pane.detail.segments.map(s => s.changed), [false, false, false, true, false])
    }

    function test_deleteAndClear() {
        const fixture = createTemporaryObject(fixtureMaker, testCase)
        const page = openPage(fixture)
        mouseClick(find(page, "delete"))
        compare(page.results.rowCount(), 2)
        compare(page.results.current, fixture.persian)

        fixture.appModel.historyEnabled = false
        mouseClick(find(page, "clearHistory"))
        tryCompare(find(page, "confirmClear"), "opened", true)
        mouseClick(find(page, "deleteEverything"))
        compare(page.results.rowCount(), 0)
        compare(page.results.emptyTitle, "History is off")
        verify(!find(page, "clearHistory").enabled)
        fixture.appModel.historyEnabled = true
        compare(page.results.emptyTitle, "Nothing yet")
    }

    function test_withdrawingShowsOnItsEntryOnly() {
        const fixture = createTemporaryObject(fixtureMaker, testCase)
        fixture.answerWithdrawals(204, "", 300)
        const page = openPage(fixture)
        page.results.selected = fixture.shared
        mouseClick(find(page, "withdraw"))
        compare(find(page, "withdraw").text, "Deleting\u2026")
        verify(!find(page, "withdraw").enabled)
        page.results.selected = fixture.english
        compare(find(page, "detail").detail.removing, false)
        page.results.selected = fixture.shared
        tryCompare(find(page, "detail").detail, "panel", "off")
    }
}
}
