import QtQuick
import QtTest
import Quillmarsh.App
import Quillmarsh.Design
import "PageHelpers.js" as Helpers

Item {
    id: host
    width: 887
    // Tall enough to show every row without scrolling.
    height: 1100

    Component {
        id: pageComponent
        StylesView {}
    }

    TestCase {
        id: test
        name: "StylesPage"
        when: windowShown

        property var page

        function init() {
            fixture.reset()
        }

        function open() {
            page = createTemporaryObject(pageComponent, host, { model: fixture.model, width: host.width, height: host.height })
            return page
        }

        function child(name) { return Helpers.visibleChildNamed(test, page, name) }

        // Clicks the segment titled `title` of a style control.
        function choose(control, title) {
            // Rows just added are placed on the next frame.
            waitForRendering(control)
            const texts = []
            function walk(item) {
                for (let i = 0; i < item.children.length; ++i) {
                    const c = item.children[i]
                    // The segment carries its title, and so does the label drawn inside it.
                    if (c.text === title && c.visible)
                        texts.push(c)
                    else
                        walk(c)
                }
            }
            walk(control)
            verify(texts.length === 1, "no segment " + title)
            mouseClick(texts[0])
        }

        function marked() {
            for (const style of ["as_spoken", "clean", "formal"]) {
                if (child("sample_" + style).marked)
                    return style
            }
            return ""
        }

        function badge() {
            return findChild(child("sample_" + marked()), "badge").children[1].text
        }

        function pickerNames() {
            const list = findChild(child("picker").contentItem, "pickerList")
            const names = []
            for (let i = 0; i < list.count; ++i)
                names.push(Helpers.row(test, list, i).modelData.name)
            return names
        }

        readonly property var standard: ({ email: "formal", messaging: "clean", documents: "clean",
                                           code: "as_spoken", other: "clean" })

        function test_aCategoryChangeIsStoredAtOnceAndMovesThePreview() {
            open()
            mouseClick(child("category_code"), 30, 20)
            compare(marked(), "as_spoken")
            compare(badge(), "Used in Code and terminals")
            choose(child("category_messaging"), "Formal")
            compare(fixture.storedPolicy().categories, Object.assign({}, standard, { messaging: "formal" }))
            compare(child("category_messaging").style, "formal")
            // A click on a row's style control selects the row too.
            compare(marked(), "formal")
            compare(badge(), "Used in Messaging")
            choose(child("category_code"), "Clean")
            compare(marked(), "clean")
        }

        function test_thePickerOffersOpenAppsByNameAndAddsAtTheKindsStyle() {
            fixture.installApp("com.microsoft.VSCode", "Visual Studio Code")
            fixture.installApp("org.b", "Beta")
            fixture.installApp("org.a", "alpha")
            fixture.setWindows([{ id: "org.b" }, { id: "com.microsoft.VSCode" }, { id: "org.a" }, { id: "org.a" },
                                { id: "" }, { id: Qt.application.name.toLowerCase() }, { id: "org.unnamed" }])
            open()
            mouseClick(child("addApp"))
            tryVerify(() => child("picker").opened)
            compare(pickerNames(), ["alpha", "Beta", "org.unnamed", "Visual Studio Code"])
            const list = findChild(child("picker").contentItem, "pickerList")
            mouseClick(Helpers.row(test, list, 3))
            verify(!page.choosingApp)
            compare(fixture.storedPolicy().apps, { "com.microsoft.VSCode": "as_spoken" })
            compare(findChild(child("app_com.microsoft.VSCode"), "appName").text, "Visual Studio Code")
            // Once styled it is no longer offered.
            mouseClick(child("addApp"))
            tryVerify(() => child("picker").opened)
            compare(pickerNames(), ["alpha", "Beta", "org.unnamed"])
        }

        // Opened from the keyboard, the picker takes it on its first application, the arrows walk
        // the list, Return adds one, and the focus goes to the style of its new row, in view.
        function test_thePickerByKeyboard() {
            fixture.installApp("org.b", "Beta")
            fixture.installApp("org.a", "alpha")
            fixture.setWindows([{ id: "org.b" }, { id: "org.a" }])
            // Low enough that the new row's place is out of view while the button is shown.
            page = createTemporaryObject(pageComponent, host, { model: fixture.model, width: host.width, height: 640 })
            for (const id of ["org.c", "org.d", "org.e", "org.f", "org.g", "org.h", "org.i", "org.j"])
                page.choices.addApp(id)
            waitForRendering(page)
            child("addApp").forceActiveFocus(Qt.TabFocusReason)
            keyClick(Qt.Key_Return)
            tryVerify(() => child("picker").opened)
            compare(host.Window.activeFocusItem.Accessible.name, "alpha")
            verify(host.Window.activeFocusItem.visualFocus)
            keyClick(Qt.Key_Down)
            compare(host.Window.activeFocusItem.Accessible.name, "Beta")
            keyClick(Qt.Key_Return)
            verify(!page.choosingApp)
            compare(fixture.storedPolicy().apps["org.b"], "clean")
            const focused = host.Window.activeFocusItem
            compare(focused.Accessible.name, "Beta: Clean")
            verify(focused.visualFocus)
            verify(Keyboard.isInside(focused, child("app_org.b")))
            const list = child("styleList")
            const top = focused.mapToItem(list, 0, 0).y
            verify(top >= 0 && top + focused.height <= list.height, top)
        }

        function test_thePickerOpensAboveTheButtonWhenThereIsNoRoomBelow() {
            open()
            page.choices.addApp("org.a")
            page.choices.addApp("org.b")
            waitForRendering(page)
            const button = child("addApp")
            const buttonTop = button.mapToItem(null, 0, 0).y
            verify(buttonTop + button.height + 300 > host.height, "the button is low enough")
            mouseClick(button)
            const picker = child("picker")
            tryVerify(() => picker.opened)
            const top = picker.background.mapToItem(null, 0, 0).y
            verify(top >= 0 && top + picker.height <= buttonTop, top)
        }

        function test_appRowsAreOrderedByIdentifierChangedAloneAndRemoved() {
            open()
            for (const id of ["org.b", "Org.Z", "org.a"])
                page.choices.addApp(id)
            compare(page.choices.apps, ["Org.Z", "org.a", "org.b"])
            choose(child("app_org.a"), "Formal")
            compare(fixture.storedPolicy().apps, { "Org.Z": "clean", "org.a": "formal", "org.b": "clean" })
            compare(fixture.storedPolicy().categories, standard)
            waitForRendering(page)
            mouseClick(findChild(child("app_org.a"), "removeApp"))
            compare(fixture.storedPolicy().apps, { "Org.Z": "clean", "org.b": "clean" })
            // Added again, it starts from its kind's style as it is now.
            choose(child("category_other"), "As spoken")
            page.choices.addApp("org.a")
            compare(child("app_org.a").style, "as_spoken")
        }
    }
}
