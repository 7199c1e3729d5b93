import QtQuick
import QtTest
import Quillmarsh.Design

Item {
    id: root
    width: 400
    height: 200

    MixedText {
        id: mixed
        width: 400
        size: 14
        weight: Font.DemiBold
    }

    TestCase {
        name: "MixedText"
        when: windowShown

        function test_persianUsesVazirmatnOnePointLargerAtItsDefaultWeight() {
            mixed.text = "سلام دنیا"
            compare(mixed.font.family, "Vazirmatn")
            fuzzyCompare(Typography.sizeOf(mixed.font), 15, 0.001)
            compare(mixed.font.weight, Font.Normal)
            verify(mixed.persian)
        }

        function test_latinUsesCommissionerWithTheWeightAtFractionalSizes() {
            mixed.size = 12.5
            mixed.text = "Hello world"
            compare(mixed.font.family, "Commissioner")
            fuzzyCompare(Typography.sizeOf(mixed.font), 12.5, 0.001)
            compare(mixed.font.weight, Font.DemiBold)
            mixed.size = 14
        }

        // The columns, out of the item's width, that hold any dark pixel.
        function inkedColumns() {
            waitForRendering(mixed)
            const image = grabImage(mixed)
            let first = -1, last = -1
            for (let x = 0; x < image.width; ++x) {
                for (let y = 0; y < image.height; ++y) {
                    if (image.red(x, y) < 128) {
                        if (first < 0) first = x
                        last = x
                        break
                    }
                }
            }
            return { first: first, last: last, width: image.width }
        }

        function test_persianSitsAtTheRightEdgeAndLatinAtTheLeft() {
            mixed.text = "سلام"
            let inked = inkedColumns()
            verify(inked.first > inked.width / 2, JSON.stringify(inked))
            verify(inked.last > inked.width - 6, JSON.stringify(inked))
            mixed.text = "Hi"
            inked = inkedColumns()
            verify(inked.first >= 0 && inked.first < 6, JSON.stringify(inked))
            verify(inked.last < inked.width / 2, JSON.stringify(inked))
        }
    }
}
