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

        function test_reclickOfTheSelectedSegmentReportsAgain() {
            mouseClick(segment(picker, "Alpha"))
            mouseClick(segment(picker, "Alpha"))
            compare(page.offers, ["a", "a"])
        }

        function test_aChoiceIsShownOnlyWhenThePageTakesIt() {
            mouseClick(segment(picker, "Gamma"))
            compare(picker.selection, "a")
            verify(!segment(picker, "Gamma").selected)
            mouseClick(segment(picker, "Beta"))
            compare(page.offers, ["c", "b"])
            verify(segment(picker, "Beta").selected)
            verify(!segment(picker, "Alpha").selected)
        }

        function test_disabledOrUnmatchedSelectsNothingAndReportsNothing() {
            mouseClick(segment(picker, "Delta"))
            compare(page.offers, [])
            page.chosen = "z"
            for (const title of ["Alpha", "Beta", "Gamma", "Delta"])
                verify(!segment(picker, title).selected)
        }
    }
}
