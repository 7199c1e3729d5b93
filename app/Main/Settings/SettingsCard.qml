import QtQuick
import Quillmarsh.App
import Quillmarsh.Design

// One card of the Settings page: its title in small capitals, then its rows.
QMCard {
    id: root
    objectName: "settingsCard"
    property string title
    default property alias rows: rowHolder.data

    width: parent ? parent.width : implicitWidth
    implicitHeight: column.height + 6
    padding: 0
    radius: 16
    fill: false

    // Positioners, not layouts: a card is as tall as its rows once their notes have wrapped.
    Column {
        id: column
        width: root.width
        Item {
            width: parent.width
            height: heading.implicitHeight + 22
            PageText {
                id: heading
                x: 20
                y: 18
                text: root.title.toUpperCase()
                font: Typography.tracked(Typography.latin(11.5, Font.DemiBold), 1.2)
                color: QM.faint
            }
        }
        Column {
            id: rowHolder
            x: 20
            width: parent.width - 40
        }
    }
}
