import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The sidebar, a hairline, and the page of the chosen section. The page is built afresh, with the
// page model as its `model`, every time its section is shown; it keeps nothing across a switch.
Rectangle {
    id: root
    required property AppModel model
    readonly property alias page: pageLoader.item

    color: QM.paper

    RowLayout {
        anchors.fill: parent
        spacing: 0

        SidebarView {
            Layout.preferredWidth: 232
            Layout.fillHeight: true
            model: root.model
        }
        Rectangle {
            Layout.preferredWidth: 1
            Layout.fillHeight: true
            color: QM.line
        }
        Loader {
            id: pageLoader
            Layout.fillWidth: true
            Layout.fillHeight: true
        }
    }

    function showSection() {
        pageLoader.setSource(MainPages.page(root.model.section), { model: root.model })
    }
    Connections {
        target: root.model
        function onSectionChanged() { root.showSection() }
    }
    Component.onCompleted: showSection()
}
