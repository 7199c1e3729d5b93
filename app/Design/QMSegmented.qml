import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// A row of text segments on a rounded track, for choosing one of a few values. The page owns the
// value: a click on an enabled segment (even the selected one) reports it through `picked`, and
// the picker shows whatever `selection` the page then holds, so a value the page refuses is never
// shown as chosen. Tab reaches each choosable segment, the arrows move between them, Space and
// Return choose.
Item {
    id: root
    // [{ value: ..., title: "..." }, ...], left to right; values are distinct.
    property var options: []
    property var selection
    // Values shown but not choosable.
    property var disabled: []
    property bool compact: false
    // What the values are of ("Writing style", an application's name): a reader hears each
    // segment with it ("Email: Clean"), as the eye sees the row beside its title.
    property string group

    signal picked(var value)

    // Gives the keyboard to the chosen segment, or to the first when none is chosen.
    function focusSelection(byKeyboard) {
        const chosen = options.findIndex(option => option.value === selection)
        Keyboard.give(segments.itemAt(Math.max(0, chosen)), byKeyboard)
    }

    implicitWidth: row.implicitWidth + 6
    implicitHeight: row.implicitHeight + 6

    QMShape {
        anchors.fill: parent
        fillColor: QM.chip
        radius: 10
    }
    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 3
        spacing: 2
        Keys.onPressed: event => Keyboard.followArrows(row, event, Window.activeFocusItem, Qt.Horizontal,
                                                       LayoutMirroring.enabled)

        Repeater {
            id: segments
            model: root.options
            delegate: QMPressable {
                id: segment
                required property var modelData
                readonly property bool selected: root.selection === modelData.value
                readonly property bool unavailable: root.disabled.indexOf(modelData.value) >= 0

                Layout.fillWidth: !root.compact
                Layout.preferredWidth: title.implicitWidth + 2 * (root.compact ? 11 : 14)
                Layout.minimumWidth: Layout.preferredWidth
                Layout.preferredHeight: root.compact ? 28 : 32
                implicitHeight: Layout.preferredHeight
                // Heard as unavailable, with the arrow over it, and Tab skips it.
                enabled: !unavailable
                focusRadius: 8

                text: modelData.title
                group: root.group
                Accessible.selected: selected

                function choose() {
                    if (!unavailable)
                        root.picked(modelData.value)
                }

                QMShape {
                    anchors.fill: parent
                    anchors.margins: -margin
                    visible: segment.selected
                    fillColor: "white"
                    strokeColor: QM.line
                    radius: 8
                    shadowColor: Qt.rgba(0, 0, 0, 0.06)
                    shadowBlur: 1
                    shadowOffsetY: 1
                }
                QMText {
                    id: title
                    anchors.centerIn: parent
                    text: segment.modelData.title
                    Accessible.ignored: true
                    font: Typography.latin(root.compact ? 12.5 : 13,
                                           segment.selected ? Font.DemiBold : Font.Normal)
                    color: segment.selected ? QM.ink : segment.unavailable ? QM.faint : QM.sub
                }
                onClicked: choose()
            }
        }
    }
}
