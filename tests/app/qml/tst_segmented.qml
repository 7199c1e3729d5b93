import QtQuick
import QtTest
import Quillmarsh.Design

Item {
    id: page
    width: 400
    height: 200

    // A page that accepts "a" and "b" and refuses "c" (say, a model switch that is busy).
    property string chosen: "a"
    property var offers: []

    QMSegmented {
        id: picker
        width: 300
        options: [{ value: "a", title: "Alpha" }, { value: "b", title: "Beta" },
                  { value: "c", title: "Gamma" }, { value: "d", title: "Delta" }]
        disabled: ["d"]
        selection: page.chosen
        onPicked: value => {
            page.offers.push(value)
            if (value !== "c")
                page.chosen = value
        }
    }
    QMSegmented {
        id: compactPicker
        y: 100
        compact: true
        options: [{ value: 1, title: "One" }, { value: 2, title: "Two" }, { value: 3, title: "Three" }]
        selection: 1
    }

    TestCase {
        name: "QMSegmented"
        when: windowShown

        function segment(picker, title) {
            const row = picker.children[1]
            for (let i = 0; i < row.children.length; ++i) {
                const child = row.children[i]
                if (child.modelData && child.modelData.title === title)
                    return child
            }
            fail("no segment " + title)
        }

        function init() {
            page.chosen = "a"
            page.offers = []
        }

        function test_clickReportsTheChoiceAndFollowsThePage() {
            mouseClick(segment(picker, "Beta"))
            compare(page.offers, ["b"])
            verify(segment(picker, "Beta").selected)
            verify(!segment(picker, "Alpha").selected)
        }

        function test_reclickOfTheSelectedSegmentReportsAgain() {
            mouseClick(segment(picker, "Alpha"))
            mouseClick(segment(picker, "Alpha"))
            compare(page.offers, ["a", "a"])
        }

        function test_aRefusedChoiceIsNotShown() {
            mouseClick(segment(picker, "Gamma"))
            compare(page.offers, ["c"])
            compare(picker.selection, "a")
            verify(!segment(picker, "Gamma").selected)
            verify(segment(picker, "Alpha").selected)
        }

        function test_disabledSegmentReportsNothing() {
            mouseClick(segment(picker, "Delta"))
            compare(page.offers, [])
            verify(segment(picker, "Alpha").selected)
        }

        function test_aSelectionMatchingNoOptionSelectsNone() {
            page.chosen = "z"
            for (const title of ["Alpha", "Beta", "Gamma", "Delta"])
                verify(!segment(picker, title).selected)
        }

        function test_sizes() {
            compare(picker.width, 300)
            compare(segment(picker, "Alpha").height, 32)
            const wide = segment(picker, "Alpha").width + segment(picker, "Beta").width
                    + segment(picker, "Gamma").width + segment(picker, "Delta").width + 3 * 2 + 2 * 3
            fuzzyCompare(wide, 300, 0.5)
            compare(compactPicker.height, 34)
            compare(segment(compactPicker, "One").height, 28)
            verify(compactPicker.width < 300)
        }
    }
}
