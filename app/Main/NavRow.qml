import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// One sidebar row: the section's symbol and title; white with a hairline and a faint shadow when
// selected. Hovering changes only the cursor.
QMPressable {
    id: root
    property string section
    property bool selected: false

    objectName: "nav-" + section
    implicitHeight: 36
    focusRadius: 9
    Accessible.name: MainPages.title(section)
    Accessible.selected: selected

    QMShape {
        anchors.fill: parent
        anchors.margins: -margin
        visible: root.selected
        fillColor: "white"
        strokeColor: QM.line
        strokeWidth: 1
        radius: 9
        shadowColor: Qt.rgba(0, 0, 0, 0.05)
        shadowBlur: 1
        shadowOffsetY: 1
    }
    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        spacing: 10
        SymbolImage {
            Layout.preferredWidth: 18
            Layout.preferredHeight: 17
            name: MainPages.symbol(root.section)
            color: root.selected ? QM.ink : QM.sub
        }
        QMText {
            Layout.fillWidth: true
            text: MainPages.title(root.section)
            Accessible.ignored: true
            font: Typography.latin(14, root.selected ? Font.DemiBold : Font.Medium)
            color: root.selected ? QM.ink : QM.sub
        }
    }
}
