import QtQuick
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// One kind of application on the Styles page: its symbol, title and examples, and its style. On
// one line when that fits the width, else with the style control under the titles. A click on
// the card selects the kind for the preview.
QMPressable {
    id: root
    property string title
    property string examples
    property string style
    property bool selected: false

    signal picked(string style)
    signal select()

    property string symbol
    readonly property real wideWidth: 38 + 14 + wideTitles.implicitWidth + 14 + 8 + 14 + wideStyle.implicitWidth + 32
    readonly property bool wide: width >= wideWidth

    implicitHeight: (wide ? wideRow.implicitHeight : narrowRow.implicitHeight) + 28
    focusRadius: 14
    Accessible.name: title
    Accessible.selected: selected

    QMShape {
        anchors.fill: parent
        fillColor: "white"
        strokeColor: root.selected ? QM.ink : QM.line
        strokeWidth: root.selected ? 1.5 : 1
        radius: 14
    }
    onClicked: root.select()
    // Choosing a style in the row selects the row too.
    function pickAndSelect(value) {
        root.select()
        root.picked(value)
    }

    RowLayout {
        id: wideRow
        visible: root.wide
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 14
        SymbolChip { name: root.symbol; size: 38 }
        CategoryTitles { id: wideTitles; title: root.title; examples: root.examples }
        Item { Layout.fillWidth: true; Layout.minimumWidth: 8 }
        StyleOptions {
            id: wideStyle
            objectName: "categoryStyle"
            selection: root.style
            onPicked: value => root.pickAndSelect(value)
        }
    }
    RowLayout {
        id: narrowRow
        visible: !root.wide
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 14
        spacing: 14
        SymbolChip { Layout.alignment: Qt.AlignTop; name: root.symbol; size: 38 }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 10
            CategoryTitles { Layout.fillWidth: true; title: root.title; examples: root.examples }
            StyleOptions {
                selection: root.style
                onPicked: value => root.pickAndSelect(value)
            }
        }
    }
}
