import QtQuick
import QtTest
import Quillmarsh.App

// The main window at its minimum size with the longest texts. What a page draws stays on the page:
// its texts inside the page's margins, and within a card, texts inside the card's padding and
// shapes inside the card.
Item {
    id: host
    width: 980
    height: 640

    Component {
        id: mainView
        MainView { anchors.fill: parent; model: appModel }
    }

    TestCase {
        name: "Layout"
        when: windowShown

        function isText(item) { return item.contentWidth !== undefined && item.effectiveHorizontalAlignment !== undefined }
        function isShape(item) { return item.strokeClipped !== undefined || (item.border !== undefined && item.gradient !== undefined) }

        // Where `item` draws, in its own coordinates: a text's glyphs (a clipping field only within
        // its bounds), a shape without its shadow; nothing for anything else.
        function drawn(item) {
            if (isText(item) && item.contentWidth > 0 && !item.clip) {
                const align = item.effectiveHorizontalAlignment
                const free = item.width - item.contentWidth
                const x = align === Text.AlignRight ? free : align === Text.AlignHCenter ? free / 2 : 0
                const freeHeight = item.height - item.contentHeight
                const y = item.verticalAlignment === Text.AlignBottom ? freeHeight
                        : item.verticalAlignment === Text.AlignVCenter ? freeHeight / 2 : 0
                return { text: true, x: x, y: y, width: item.contentWidth, height: item.contentHeight }
            }
            if ((isText(item) || isShape(item)) && item.width > 0 && item.height > 0) {
                const margin = item.margin || 0
                return { text: isText(item), x: margin, y: margin, width: item.width - 2 * margin,
                         height: item.height - 2 * margin }
            }
            return null
        }

        // Calls `visit` with every visible item under `item`; scroll bars are not content.
        function each(item, visit) {
            for (let index = 0; index < item.children.length; ++index) {
                const child = item.children[index]
                if (child.visible && child.policy === undefined) {
                    visit(child)
                    each(child, visit)
                }
            }
        }

        // What `box` draws outside itself: texts within its padding (`across` at its sides, `down`
        // at its top and bottom; no check down when absent), shapes beyond its edges.
        function outside(box, across, down) {
            const found = []
            each(box, item => {
                const area = drawn(item)
                if (!area)
                    return
                const at = item.mapToItem(box, area.x, area.y)
                const sides = area.text ? across : 0
                const ends = area.text ? down : 0
                const wide = at.x < sides - 0.5 || at.x + area.width > box.width - sides + 0.5
                const high = at.y < ends - 0.5 || at.y + area.height > box.height - ends + 0.5
                if (wide || (down !== undefined && high))
                    found.push((item.text || item.toString()) + " at " + Math.round(at.x))
            })
            return found
        }

        function show(section) {
            appModel.section = section
            const view = createTemporaryObject(mainView, host)
            waitForRendering(view)
            // Rows a list creates in the first frame are laid out in a later one: measure once
            // every layout has placed its items.
            tryVerify(() => {
                let placed = !isPolishScheduled(view)
                each(view, item => { placed = placed && !isPolishScheduled(item) })
                return placed
            })
            return view.page
        }

        function test_pagesHoldTheLongestTexts_data() {
            return [
                { tag: "home", cards: [] },
                // The detail's column scrolls: only its sides are checked.
                { tag: "history", cards: [{ name: "historyRow", across: 15, down: 13 }, { name: "detail", across: 22 }] },
                { tag: "styles", cards: [{ name: "category_", across: 16, down: 14 }, { name: "app_", across: 16, down: 12 }] },
                { tag: "snippets", cards: [{ name: "snippetCard", across: 16, down: 14 }, { name: "editorCard", across: 22, down: 22 }] },
                { tag: "settings", cards: [{ name: "settingsCard", across: 20, down: 6 }] },
            ]
        }

        function test_pagesHoldTheLongestTexts(data) {
            const page = show(data.tag)
            compare(outside(page, 48), [], "page")
            for (const card of data.cards) {
                const items = []
                each(page, item => { if (item.objectName.startsWith(card.name)) items.push(item) })
                verify(items.length > 0, card.name)
                for (const item of items)
                    compare(outside(item, card.across, card.down), [], card.name)
            }
        }

        // What lies beyond the page's content, where no scrolling reaches: drawn items, those
        // inside a view that clips only as far as that view.
        function outOfReach(page) {
            const found = []
            const visit = item => {
                const area = drawn(item) || (item.clip ? { x: 0, y: 0, width: item.width, height: item.height } : null)
                if (area) {
                    const at = item.mapToItem(page.contentItem, area.x, area.y)
                    if (at.y < -0.5 || at.y + area.height > page.contentHeight + 0.5)
                        found.push((item.text || item.objectName || item.toString()) + " at " + Math.round(at.y))
                }
                for (let index = 0; !item.clip && index < item.children.length; ++index) {
                    const child = item.children[index]
                    if (child.visible && child.policy === undefined)
                        visit(child)
                }
            }
            visit(page.contentItem)
            return found
        }

        // A control the keyboard moves to is scrolled wholly into the page's view.
        function verifyShownWhenFocused(page, control) {
            control.forceActiveFocus(Qt.TabFocusReason)
            const at = control.mapToItem(page, 0, 0)
            verify(at.y >= 0 && at.y + control.height <= page.height, control.objectName + " at " + at.y)
        }

        // The longest refusal under the editor: a duplicate of the longest phrase.
        function test_snippetsWithAnErrorLineScrollToSave() {
            const page = show("snippets")
            const longest = page.editor.trigger
            page.editor.startNew()
            page.editor.trigger = longest
            page.editor.text = "x"
            page.editor.save()
            verify(page.editor.problem.startsWith("You already have a snippet for"), page.editor.problem)
            waitForRendering(page)
            verify(page.contentHeight > page.height, "the page scrolls")
            compare(outOfReach(page), [])
            verify(findChild(page, "pageScrollBar").visible)
            verifyShownWhenFocused(page, findChild(page, "saveButton"))
        }

        function test_stylesAtTheMinimumSizeShowThePreviewWholeAndTheNoteOnItsLines() {
            const page = show("styles")
            compare(outOfReach(page), [])
            verifyShownWhenFocused(page, findChild(page, "addApp"))
            const note = findChild(page, "terminalsNote")
            verify(note.lineCount <= 2, note.lineCount + " lines")
        }

        function test_theDictationDetailEndsAboveThePagesBottomMargin() {
            const page = show("history")
            const detail = findChild(page, "detail")
            verify(detail.mapToItem(page, 0, detail.height).y <= page.height - 30 + 0.5)
        }

        function test_theDictationDetailShowsItsScrollBarWhenItScrolls() {
            const bar = findChild(show("history"), "detailScrollBar")
            verify(bar.size < 1)
            verify(bar.visible && bar.contentItem.opacity > 0)
        }

        // A page's title block takes the height its texts wrap to, whatever comes after it.
        function test_thePageHeaderStandsAboveWhatFollows() {
            const page = show("vocabulary")
            let subtitle = null, field = null
            each(page, item => {
                if (item.objectName === "pageSubtitle")
                    subtitle = item
                else if (item.objectName === "wordField")
                    field = item
            })
            verify(subtitle && field)
            const subtitleBottom = subtitle.mapToItem(page, 0, subtitle.contentHeight).y
            verify(field.mapToItem(page, 0, 0).y >= subtitleBottom, "the field under the subtitle")
        }

        function test_aPersianNameSitsByTheAvatar() {
            const page = show("account")
            const card = findChild(page, "accountCard")
            const name = findChild(page, "nameLine")
            const avatar = findChild(page, "avatar").parent
            const nameStart = name.mapToItem(card, drawn(name).x, 0).x
            fuzzyCompare(nameStart - avatar.mapToItem(card, avatar.width, 0).x, 13, 1)
        }
    }
}
