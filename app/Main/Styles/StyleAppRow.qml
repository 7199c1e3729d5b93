import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// One application with a style of its own on the Styles page: its icon and name, its style, and
// a button that returns it to the style of its kind. Like the kinds' rows, the style control
// moves under the name when one line would cut the name short, and under the icon too when it is
// wider than the room beside the icon.
Item {
    id: root
    property Applications applications
    property string appId
    property string style

    signal picked(string style)
    signal remove()

    readonly property alias styleControl: styleControl
    readonly property alias removeButton: removeButton

    readonly property string name: applications ? applications.name(appId) : appId
    readonly property bool wide: width >= 16 + 38 + 14 + names.implicitWidth + 14 + 8 + 14
                                 + styleControl.implicitWidth + 14 + 26 + 16
    readonly property bool besideIcon: width >= 16 + 38 + 14 + styleControl.implicitWidth + 14 + 26 + 16

    implicitHeight: grid.implicitHeight + 24

    QMShape {
        anchors.fill: parent
        fillColor: "white"
        strokeColor: QM.line
        radius: 14
    }
    GridLayout {
        id: grid
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        columns: root.wide ? 5 : 3
        columnSpacing: 14
        rowSpacing: 10

        AppIcon {
            Layout.preferredWidth: 38
            Layout.preferredHeight: 38
            Layout.rowSpan: root.wide || !root.besideIcon ? 1 : 2
            Layout.alignment: Qt.AlignTop
            applications: root.applications
            appId: root.appId
        }
        ColumnLayout {
            id: names
            Layout.fillWidth: true
            Layout.minimumWidth: 0
            spacing: 2
            QMText {
                objectName: "appName"
                Layout.fillWidth: true
                elide: Text.ElideRight
                text: root.name
                font: Typography.latin(15, Font.DemiBold)
                color: QM.ink
            }
            QMText {
                Layout.fillWidth: true
                elide: Text.ElideRight
                text: "Just this app"
                font: Typography.latin(12.5, Font.Normal)
                color: QM.faint
            }
        }
        Item {
            visible: root.wide
            Layout.preferredWidth: 8
        }
        StyleOptions {
            id: styleControl
            objectName: "appStyle"
            group: root.name
            Layout.row: root.wide ? 0 : 1
            Layout.column: root.wide ? 3 : root.besideIcon ? 1 : 0
            Layout.columnSpan: root.wide || root.besideIcon ? 1 : 3
            selection: root.style
            onPicked: value => root.picked(value)
        }
        RemoveButton {
            id: removeButton
            objectName: "removeApp"
            Layout.row: 0
            Layout.column: root.wide ? 4 : 2
            Layout.alignment: root.wide ? Qt.AlignVCenter : Qt.AlignTop
            size: 26
            tooltip: "Use the style for its kind of app again"
            Accessible.name: "Remove the style for " + root.name
            onClicked: root.remove()
        }
    }
}
