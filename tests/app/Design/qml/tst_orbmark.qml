import QtQuick
import QtTest
import Quillmarsh.Design

Item {
    width: 200
    height: 100

    property int restingMode: OrbState.Thinking

    OrbMark {
        id: resting
        size: 34
        mode: parent.restingMode
    }
    OrbMark {
        id: cycling
        x: 100
        size: 34
        cycle: true
        mode: OrbState.Error
    }

    TestCase {
        name: "OrbMark"
        when: windowShown

        function test_restingMarkFollowsItsMode() {
            compare(resting.view.orbState.mode, OrbState.Thinking)
            compare(resting.view.running, true)
            compare(resting.view.light, false)
            restingMode = OrbState.Error
            compare(resting.view.orbState.mode, OrbState.Error)
            compare(resting.view.level, 0)
        }

        function test_cyclingMarkOwnsItsMode() {
            // The loop starts listening; its first tick turns it to rest for 1.4 s.
            verify(cycling.view.orbState.mode === OrbState.Listening
                   || cycling.view.orbState.mode === OrbState.Idle)
            cycling.mode = OrbState.Inserted
            verify(cycling.view.orbState.mode !== OrbState.Inserted)
            tryCompare(cycling.view.orbState, "mode", OrbState.Idle, 1000)
        }
    }
}
