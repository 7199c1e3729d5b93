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

    FocusKeeper {
        area: pageLoader.item
        heading: pageLoader.item?.heading ?? null
    }

    // Puts the keyboard where the page starts: where the page says (`focusStart`), else on its
    // first control.
    function enterPage(byKeyboard) {
        const page = pageLoader.item
        if (!page)
            return
        if (page.focusStart) {
            page.focusStart(byKeyboard)
            return
        }
        const first = page.nextItemInFocusChain(true)
        if (first && Keyboard.isInside(first, page))
            Keyboard.give(first, byKeyboard)
    }
    function showSection() {
        // A link on the page that goes away leaves the focus on the page it opens, not nowhere.
        const focus = Window.activeFocusItem
        const fromPage = focus !== null && Keyboard.isInside(focus, pageLoader)
        const byKeyboard = fromPage && focus.visualFocus === true
        pageLoader.setSource(MainPages.page(root.model.section), { model: root.model })
        if (fromPage)
            enterPage(byKeyboard)
    }
    Connections {
        target: root.model
        function onSectionChanged() { root.showSection() }
    }
    Component.onCompleted: showSection()
}
