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

    // The same picker laid out right to left.
    QMSegmented {
        id: mirrored
        y: 100
        LayoutMirroring.enabled: true
        LayoutMirroring.childrenInherit: true
        options: picker.options
        disabled: picker.disabled
        selection: page.chosen
        onPicked: value => page.offers.push(value)
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

        // The arrows follow what the eye sees: Right goes on in a left-to-right picker and Left in
        // a mirrored one; they stop at the ends and skip what can't be chosen.
        function test_arrowsWalkTheChoosableSegmentsAndKeysChoose_data() {
            return [{ tag: "left to right", picker: picker, on: Qt.Key_Right, back: Qt.Key_Left },
                    { tag: "right to left", picker: mirrored, on: Qt.Key_Left, back: Qt.Key_Right }]
        }
        function test_arrowsWalkTheChoosableSegmentsAndKeysChoose(data) {
            const focused = () => page.Window.activeFocusItem
            segment(data.picker, "Alpha").forceActiveFocus(Qt.TabFocusReason)
            keyClick(data.back)
            verify(focused() === segment(data.picker, "Alpha"))
            for (let i = 0; i < 4; ++i)
                keyClick(data.on)
            verify(focused() === segment(data.picker, "Gamma"))
            keyClick(data.back)
            keyClick(Qt.Key_Return)
            keyClick(Qt.Key_Space)
            compare(page.offers, ["b", "b"])
        }
    }
}
