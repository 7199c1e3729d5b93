import QtQuick
import QtTest
import Quillmarsh.App

Item {
    width: 300
    height: 100

    WordFlow {
        id: flow
        width: 300
        spacing: 5
        lineSpacing: 14
        rightToLeft: true
        Item { id: first; implicitWidth: 40; implicitHeight: 10 }
        Item { id: second; implicitWidth: 30; implicitHeight: 12 }
    }

    TestCase {
        name: "WordFlow"
        when: windowShown

        function test_rightToLeftLinesStartAtTheRightEdge() {
            tryCompare(first, "x", 260)
            compare(second.x, 225)
            compare(flow.implicitHeight, 12)
            flow.width = 60
            tryCompare(second, "y", 24)
            compare(second.x, 30)
            compare(first.x, 20)
            flow.rightToLeft = false
            tryCompare(first, "x", 0)
            compare(second.x, 0)
        }
    }
}
