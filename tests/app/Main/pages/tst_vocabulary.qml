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
        VocabularyPane {}
    }

    TestCase {
        id: test
        name: "VocabularyPage"
        when: windowShown

        property var page

        function init() {
            fixture.reset()
        }

        function open() {
            page = createTemporaryObject(pageComponent, host, { model: fixture.model, width: host.width, height: host.height })
            return page
        }

        function child(name) { return Helpers.visibleChildNamed(test, page, name) }

        function type(text) { Helpers.typeInto(test, child("wordField"), text) }

        function words() {
            const list = child("wordList")
            const shown = []
            for (let i = 0; i < list.count; ++i)
                shown.push(Helpers.row(test, list, i).word)
            return shown
        }

        function test_addingListsNewestFirstAndEmptiesTheField() {
            open()
            type("alpha")
            mouseClick(child("addButton"))
            compare(child("wordCount").text, "1 WORD")
            type("foo:bar")
            keyClick(Qt.Key_Return)
            compare(words(), ["foo bar", "alpha"])
            compare(child("wordCount").text, "2 WORDS")
            compare(child("wordField").text, "")
            verify(!child("wordProblem").visible)
            compare(fixture.storedWords(), ["alpha", "foo bar"])
        }

        function test_refusalsKeepTheDraftUntilItChanges_data() {
            return [
                { tag: "blanks", draft: "   ", problem: "Type a word or phrase." },
                { tag: "colon", draft: ":", problem: "Type a word or phrase." },
                { tag: "too long", draft: "w".repeat(61), problem: "That's too long for one word or phrase." },
                { tag: "diacritics", draft: "كِتاب", problem: "“كتاب” is already in your vocabulary." },
            ]
        }

        function test_refusalsKeepTheDraftUntilItChanges(data) {
            open()
            for (const word of ["Tehran", "كتاب"]) {
                type(word)
                keyClick(Qt.Key_Return)
            }
            type(data.draft)
            compare(child("addButton").enabled, data.draft.trim() !== "" && data.draft !== ":")
            // Return adds even while the button is disabled.
            keyClick(Qt.Key_Return)
            compare(child("wordProblem").text, data.problem)
            verify(child("wordProblem").visible)
            compare(child("wordField").text, data.draft)
            compare(words(), ["كتاب", "Tehran"])
            compare(fixture.storedWords(), ["Tehran", "كتاب"])
            type(data.draft + "s")
            verify(!child("wordProblem").visible)
        }

        function test_aFullVocabularyRefusesAnotherWord() {
            fixture.fillWords(500)
            open()
            compare(child("wordCount").text, "500 WORDS")
            type("one more")
            mouseClick(child("addButton"))
            compare(child("wordProblem").text, "The vocabulary is full. Remove a word to add another.")
            compare(fixture.storedWords().length, 500)
        }

        function test_removingTheLastWordBringsBackTheEmptyBox() {
            fixture.fillWords(2)
            open()
            const list = child("wordList")
            mouseClick(findChild(Helpers.row(test, list, 0), "removeWord"))
            compare(words(), ["word 1"])
            compare(fixture.storedWords(), ["word 1"])
            mouseClick(findChild(Helpers.row(test, list, 0), "removeWord"))
            compare(fixture.storedWords(), [])
            verify(child("emptyWords").visible)
            verify(!child("wordList").visible)
            compare(child("wordCount").text, "YOUR WORDS")
        }
    }
}
