import QtQuick
import Quillmarsh.Design

// A small copy of the animated orb. With `cycle` it plays a loop that imitates a dictation and
// ignores `mode`; otherwise it rests in `mode` with a level of 0.
Item {
    id: root
    property real size: 34
    property bool cycle: false
    property int mode: OrbState.Idle

    readonly property alias view: orb
    implicitWidth: size
    implicitHeight: size

    OrbView {
        id: orb
        width: root.size
        height: root.size
        light: false
        running: true
        Component.onCompleted: {
            orbState.mode = root.cycle ? OrbState.Listening : root.mode
            if (root.cycle)
                coordinator.start(orb)
        }
        Component.onDestruction: {
            coordinator.stop()
            running = false
        }
    }
    OrbMarkCoordinator { id: coordinator }

    onModeChanged: if (!cycle) orb.orbState.mode = mode
}
