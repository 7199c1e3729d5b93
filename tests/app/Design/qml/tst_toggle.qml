import QtQuick
import QtTest
import Quillmarsh.Design

Item {
    width: 200
    height: 100

    QMToggleStyle {
        id: toggle
        label: "Keep history"
    }
    QMToggleStyle {
        id: locked
        y: 50
        label: "Locked"
        enabled: false
    }

    TestCase {
        name: "QMToggleStyle"
        when: windowShown

        function test_clickFlipsAndTheAccessibleValueFollows() {
            compare(toggle.checked, false)
            compare(toggle.Accessible.name, "Keep history")
            compare(toggle.Accessible.description, "Off")
            mouseClick(toggle)
            compare(toggle.checked, true)
            compare(toggle.Accessible.description, "On")
            verify(toggle.Accessible.checked)
            mouseClick(toggle)
            compare(toggle.Accessible.description, "Off")
            mouseClick(locked)
            compare(locked.checked, false)
        }
    }
}
