import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// The main window: always the light look, on paper. Built and placed by MainWindowController.
Window {
    id: window
    required property AppModel model

    title: "Quillmarsh"
    color: QM.paper

    // Puts the keyboard on the page, with its ring, once the window is active: where the end of
    // the first run leaves the user.
    property bool pageFocusPending: false
    function focusPage() {
        pageFocusPending = !active
        if (active)
            view.enterPage(true)
    }
    onActiveChanged: {
        if (active && pageFocusPending) {
            pageFocusPending = false
            view.enterPage(true)
        }
    }

    QuitShortcut {}
    MainView {
        id: view
        anchors.fill: parent
        model: window.model
    }
}
