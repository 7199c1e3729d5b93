import QtQuick
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// The week on this computer: words, dictations and speed, and a bar of words per day with today
// in saffron. `week` is HomeModel's week card.
ColumnLayout {
    id: root
    property var week: ({})

    spacing: 14

    component Figure: ColumnLayout {
        property string number
        property string label
        spacing: 2
        PageText {
            text: parent.number
            font: Typography.tracked(Typography.figures(30, Font.DemiBold), -0.6)
            color: QM.ink
        }
        PageText {
            text: parent.label
            font: Typography.latin(12.5, Font.Normal)
            color: QM.sub
        }
    }

    RowLayout {
        Layout.fillWidth: true
        PageText {
            text: "This week"
            font: Typography.latin(15, Font.DemiBold)
            color: QM.ink
        }
        Item { Layout.fillWidth: true }
        PageText {
            text: "Counted on this computer only"
            font: Typography.latin(12.5, Font.Normal)
            color: QM.faint
        }
    }
    RowLayout {
        spacing: 28
        Figure { objectName: "words"; number: root.week.words ?? "0"; label: "words" }
        Figure { objectName: "dictations"; number: root.week.dictations ?? "0"; label: "dictations" }
        Figure { objectName: "perMinute"; number: root.week.perMinute ?? "\u2013"; label: "words / min" }
    }
    Item {
        Layout.fillWidth: true
        implicitHeight: Math.max(62, bars.implicitHeight)
        Accessible.role: Accessible.Chart
        Accessible.name: "Words per day this week"
        RowLayout {
            id: bars
            anchors.bottom: parent.bottom
            spacing: 7
            Repeater {
                model: root.week.days ?? []
                Column {
                    required property var modelData
                    Layout.alignment: Qt.AlignBottom
                    spacing: 5
                    Accessible.role: Accessible.StaticText
                    Accessible.name: modelData.spoken
                    // Corners of 4 at the top and 2 at the bottom: a rounder top half over a
                    // squarer bottom half.
                    Item {
                        id: bar
                        readonly property color fill: modelData.tone === "today" ? QM.saffron
                                                    : modelData.tone === "used" ? QM.dotOff : QM.line
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 14
                        height: modelData.height
                        Rectangle {
                            anchors.fill: parent
                            radius: 4
                            color: bar.fill
                        }
                        Rectangle {
                            anchors.bottom: parent.bottom
                            width: parent.width
                            height: parent.height / 2
                            radius: 2
                            color: bar.fill
                        }
                    }
                    PageText {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: modelData.label
                        font: Typography.latin(10.5, modelData.tone === "today" ? Font.DemiBold : Font.Normal)
                        color: modelData.tone === "today" ? QM.ink : QM.faint
                        Accessible.ignored: true
                    }
                }
            }
        }
    }
}
