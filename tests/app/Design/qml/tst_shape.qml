import QtQuick
import QtTest
import Quillmarsh.Design

Item {
    id: root
    width: 80
    height: 60

    // A 2-wide ring around a 38 × 28 frame, as the done step rings the tray's mark.
    Item {
        x: 20
        y: 16
        width: 38
        height: 28
        QMShape {
            anchors.fill: parent
            anchors.margins: -margin
            strokeColor: "#ff0000"
            strokeWidth: 2
            strokeClipped: false
            radius: 8
        }
    }

    TestCase {
        name: "Shape"
        when: windowShown

        function test_aRingShowsItsWholeStrokeHalfOutsideTheFrame() {
            const image = grabImage(root)
            const red = x => image.pixel(x, 30).r > 0.9 && image.pixel(x, 30).g < 0.1
            compare([18, 19, 20, 21].map(red), [false, true, true, false])
        }
    }
}
