import QtQuick
import QtTest
import Quillmarsh.Design

// A choice is heard with the set it belongs to, as the eye reads it under the set's title,
// whichever control of the design system draws it; a control outside any set keeps its own name.
Item {
    width: 400
    height: 300

    QMButton {
        id: alone
        text: "Save"
    }
    QMChoice {
        id: choice
        y: 40
        group: "Dictation key"
        text: "Hold right Ctrl"
    }
    QMPressable {
        id: chip
        y: 90
        group: "Category"
        text: "Email"
    }
    QMSegmented {
        id: segmented
        y: 130
        group: "Text"
        options: [{ value: false, title: "Inserted" }, { value: true, title: "As spoken" }]
        selection: false
    }
    QMSegmented {
        id: ungrouped
        y: 180
        options: [{ value: 1, title: "One" }]
    }

    TestCase {
        name: "Groups"
        when: windowShown

        // The segments of a picker, left to right.
        function segments(picker) {
            const row = picker.children[1]
            const found = []
            for (let i = 0; i < row.children.length; ++i) {
                if (row.children[i].modelData)
                    found.push(row.children[i])
            }
            return found
        }

        function test_eachControlIsNamedWithItsGroup_data() {
            return [
                { tag: "a button in no set", control: () => alone, name: "Save" },
                { tag: "a choice", control: () => choice, name: "Dictation key: Hold right Ctrl" },
                { tag: "a chip", control: () => chip, name: "Category: Email" },
                { tag: "a segment", control: () => segments(segmented)[0], name: "Text: Inserted" },
                { tag: "another segment", control: () => segments(segmented)[1], name: "Text: As spoken" },
                { tag: "a segment in no set", control: () => segments(ungrouped)[0], name: "One" },
            ]
        }
        function test_eachControlIsNamedWithItsGroup(data) {
            compare(data.control().Accessible.name, data.name)
        }
    }
}
