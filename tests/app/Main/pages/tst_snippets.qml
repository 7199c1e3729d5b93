import QtQuick
import QtTest
import Quillmarsh.App
import "PageHelpers.js" as Helpers

Item {
    id: host
    width: 887
    height: 810

    Component {
        id: pageComponent
        SnippetsView {}
    }

    TestCase {
        id: test
        name: "SnippetsPage"
        when: windowShown

        property var page

        function init() {
            fixture.reset()
        }

        function open() {
            page = createTemporaryObject(pageComponent, host, { model: fixture.model, width: host.width, height: host.height })
            fixture.useManualClock(page.editor)
            return page
        }

        function child(name) { return Helpers.visibleChildNamed(test, page, name) }

        function fill(trigger, text) {
            Helpers.typeInto(test, child("triggerField"), trigger)
            Helpers.replaceText(child("textField"), text)
        }

        function save() {
            mouseClick(child("saveButton"))
        }

        function test_openingWithSnippetsLoadsTheFirst() {
            fixture.fillSnippets(2)
            open()
            compare(child("editorTitle").text, "Edit snippet")
            compare(child("triggerField").text, "phrase 1")
            compare(child("textField").text, "text 1")
            verify(!child("exactSwitch").checked)
            const list = child("snippetList")
            compare(list.count, 2)
            verify(Helpers.row(test, list, 0).selected)
            verify(!Helpers.row(test, list, 1).selected)
        }

        function test_addingTidiesThePhraseKeepsTheFieldAndSelectsTheNewSnippet() {
            fixture.fillSnippets(1)
            open()
            mouseClick(child("newSnippet"))
            fill("  my   home  address ", "Tehran, Enghelab St.")
            mouseClick(child("exactSwitch"))
            save()
            compare(fixture.storedTriggers(), ["phrase 1", "my home address"])
            compare(child("triggerField").text, "  my   home  address ")
            const list = child("snippetList")
            compare(list.count, 2)
            compare(findChild(Helpers.row(test, list, 1), "cardTrigger").text, "my home address")
            compare(findChild(Helpers.row(test, list, 1), "cardText").text, "Tehran, Enghelab St.")
            verify(Helpers.row(test, list, 1).selected)
            compare(child("editorTitle").text, "Edit snippet")
            verify(child("deleteButton").visible)
            compare(child("saveButton").text, "Saved")
            fixture.advance(1399)
            compare(child("saveButton").text, "Saved")
            fixture.advance(1)
            compare(child("saveButton").text, "Save")
            // The switch and the text follow the snippet in the editor after the user changed them.
            child("textField").forceActiveFocus()
            keyClick(Qt.Key_A)
            mouseClick(child("newSnippet"))
            verify(child("exactSwitch").checked)
            compare(child("textField").text, "")
            page.editor.load(Helpers.row(test, list, 1).snippetId)
            verify(!child("exactSwitch").checked)
        }

        function test_refusalsShowTheStoresTextAndKeepTheDraft_data() {
            return [
                { tag: "blank text", trigger: "sig", text: "  \n\t ", problem: "Type the text to insert." },
                { tag: "case and spacing", trigger: "PHRASE   1", text: "x",
                  problem: "You already have a snippet for “phrase 1”." },
            ]
        }

        function test_refusalsShowTheStoresTextAndKeepTheDraft(data) {
            fixture.fillSnippets(1)
            open()
            mouseClick(child("newSnippet"))
            fill("سلام علیکم", "و علیکم السلام")
            save()
            mouseClick(child("newSnippet"))
            fill(data.trigger, data.text)
            save()
            compare(child("snippetProblem").text, data.problem)
            verify(child("snippetProblem").visible)
            compare(child("triggerField").text, data.trigger)
            compare(child("textField").text, data.text)
            compare(child("editorTitle").text, "New snippet")
            compare(child("saveButton").text, "Save")
            compare(child("snippetList").count, 2)
            compare(fixture.storedTriggers(), ["phrase 1", "سلام علیکم"])
            // A new snippet clears the message and the fields.
            mouseClick(child("newSnippet"))
            verify(!child("snippetProblem").visible)
            compare(child("triggerField").text, "")
        }

        // Pressed from the keyboard at the window's least height, Save stays whole in view, ring
        // and all, under the problem line it brings up.
        function test_saveStaysInViewUnderItsProblem() {
            fixture.fillSnippets(1)
            page = createTemporaryObject(pageComponent, host, { model: fixture.model, width: 747, height: 640 })
            mouseClick(child("newSnippet"))
            fill("phrase 1", "x")
            const save = child("saveButton")
            save.forceActiveFocus(Qt.TabFocusReason)
            keyClick(Qt.Key_Return)
            verify(child("snippetProblem").visible)
            waitForRendering(page)
            const ring = 3
            const top = save.mapToItem(page, 0, 0).y
            verify(top - ring >= 0 && top + save.height + ring <= page.height, top + " of " + page.height)
        }

        function test_aRefusedEditLeavesTheListAsStored() {
            fixture.fillSnippets(2)
            open()
            page.editor.load(Helpers.row(test, child("snippetList"), 1).snippetId)
            fill("Phrase 1", "changed")
            save()
            compare(child("snippetProblem").text, "You already have a snippet for “phrase 1”.")
            compare(Helpers.row(test, child("snippetList"), 1).trigger, "phrase 2")
            compare(Helpers.row(test, child("snippetList"), 1).text, "text 2")
            compare(child("triggerField").text, "Phrase 1")
            // Its own unchanged phrase saves.
            fill("phrase 2", "changed")
            save()
            verify(!child("snippetProblem").visible)
            compare(Helpers.row(test, child("snippetList"), 1).text, "changed")
        }

        function test_aFullListRefusesNewSnippetsButNotEdits() {
            fixture.fillSnippets(200)
            open()
            mouseClick(child("newSnippet"))
            fill("one more", "text")
            save()
            compare(child("snippetProblem").text, "The list is full. Remove a snippet to add another.")
            compare(fixture.storedTriggers().length, 200)
            page.editor.load(Helpers.row(test, child("snippetList"), 0).snippetId)
            fill("first phrase", "text")
            save()
            verify(!child("snippetProblem").visible)
            compare(fixture.storedTriggers()[0], "first phrase")
        }

        function test_deletingLoadsTheFirstSnippetOrANewOne() {
            fixture.fillSnippets(3)
            open()
            page.editor.load(Helpers.row(test, child("snippetList"), 1).snippetId)
            mouseClick(child("deleteButton"))
            compare(fixture.storedTriggers(), ["phrase 1", "phrase 3"])
            compare(child("triggerField").text, "phrase 1")
            verify(Helpers.row(test, child("snippetList"), 0).selected)
            page.editor.remove(page.editor.editing)
            page.editor.remove(page.editor.editing)
            compare(fixture.storedTriggers(), [])
            verify(child("emptySnippets").visible)
            verify(!child("snippetList").visible)
            compare(child("editorTitle").text, "New snippet")
            compare(child("triggerField").text, "")
            verify(child("exactSwitch").checked)
            verify(!child("deleteButton").visible)
        }
    }
}
