import QtQuick
import QtTest
import Quillmarsh.Design

Item {
    id: page
    width: 400
    height: 300

    property string query: ""
    property int submits: 0
    property string practice: ""

    NaturalTextField {
        id: field
        width: 300
        height: 30
        text: page.query
        placeholder: "جستجو"
        accessibilityLabel: "Search"
        size: 14
        onEdited: text => page.query = text
        onSubmitted: page.submits += 1
    }
    RTLTextField {
        id: area
        y: 60
        width: 300
        height: 120
        text: page.practice
        fontSize: 16
        onEdited: text => page.practice = text
    }

    FontMetrics {
        id: metrics
        font: area.editor.font
    }

    TestCase {
        name: "Fields"
        when: windowShown

        function type(text) {
            for (const c of text)
                keyClick(c)
        }

        function init() {
            page.query = ""
            page.practice = ""
            page.submits = 0
        }

        function test_typingSwitchesScriptAsTheBalanceTips() {
            compare(field.font.family, "Commissioner")
            compare(field.horizontalAlignment, TextInput.AlignLeft)
            field.forceActiveFocus()
            // Keyboard events carry Latin letters only; the first Persian letter is inserted.
            field.editor.insert(0, "\u06a9")
            compare(field.font.family, "Vazirmatn")
            fuzzyCompare(Typography.sizeOf(field.font), 15, 0.001)
            compare(field.editor.effectiveHorizontalAlignment, TextInput.AlignRight)
            type("abc")
            compare(page.query, "\u06a9abc")
            compare(field.font.family, "Commissioner")
            compare(field.horizontalAlignment, TextInput.AlignLeft)
        }

        function test_returnSubmitsAndKeepsTextAndFocus() {
            field.forceActiveFocus()
            type("hi")
            keyClick(Qt.Key_Return)
            compare(page.submits, 1)
            compare(page.query, "hi")
            verify(field.editor.activeFocus)
            page.query = ""
            compare(field.editor.text, "")
            compare(field.font.family, "Commissioner")
        }

        function test_practiceFieldIsRightToLeftVazirmatnWhateverItsFirstWord() {
            compare(area.editor.font.family, "Vazirmatn")
            fuzzyCompare(Typography.sizeOf(area.editor.font), 16, 0.001)
            compare(area.editor.Accessible.name, "Practice field")
            page.practice = "ab " + "کتاب ".repeat(8)
            // The first word of a right-to-left paragraph is at its right end.
            verify(area.editor.positionToRectangle(0).x > area.editor.width * 0.75,
                   area.editor.positionToRectangle(0).x)
            page.practice = "کتاب"
            const oneLine = area.editor.contentHeight
            page.practice = "کتاب\nکتاب"
            // A second line adds the font's line height and 6 of spacing.
            const added = area.editor.contentHeight - oneLine
            verify(added >= metrics.height + 5, added + " " + metrics.height)
        }

        function test_practiceFieldStartsAtTheRightEmptyOrWithALatinWord() {
            area.editor.forceActiveFocus()
            verify(area.editor.cursorRectangle.x > area.editor.width * 0.75, area.editor.cursorRectangle.x)
            page.practice = "ab کتاب"
            verify(area.editor.positionToRectangle(0).x > area.editor.width * 0.75,
                   area.editor.positionToRectangle(0).x)
        }

        function test_practiceFieldWritesEditsAndTakesOutsideText() {
            area.editor.forceActiveFocus()
            type("ab")
            compare(page.practice, "ab")
            const caret = area.editor.cursorPosition
            page.practice = "ab"
            compare(area.editor.cursorPosition, caret)
            page.practice = "سلام"
            compare(area.editor.text, "سلام")
            // Undo takes back the user's typing, not the field's own formatting.
            verify(!area.editor.canUndo)
            type("x")
            keySequence(StandardKey.Undo)
            compare(area.editor.text, "سلام")
        }
    }
}
