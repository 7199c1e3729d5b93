import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// The main window: always the light look, on paper. Built and placed by MainWindowController.
Window {
    id: window
    required property AppModel model

    title: "Quillmarsh"
    color: QM.paper

    QuitShortcut {}
    MainView {
        anchors.fill: parent
        model: window.model
    }
}
