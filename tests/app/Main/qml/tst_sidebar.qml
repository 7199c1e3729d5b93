import QtQuick
import QtTest
import Quillmarsh.App

Item {
    id: page
    width: 1120
    height: 810

    MainView {
        id: view
        anchors.fill: parent
        model: appModel
    }

    TestCase {
        name: "Sidebar"
        when: windowShown

        readonly property var sections: ["home", "history", "styles", "snippets", "vocabulary", "account", "settings"]

        function row(section) { return findChild(view, "nav-" + section) }
        function selectedRows() { return sections.filter(section => row(section).selected) }

        function test_everySectionSelectsItsRowAlone() {
            for (const section of sections) {
                appModel.section = section
                compare(selectedRows(), [section], section)
            }
        }

        function test_clickingARowShowsItsPage() {
            for (const section of sections) {
                appModel.section = section === "home" ? "settings" : "home"
                mouseClick(row(section))
                compare(appModel.section, section)
                verify(view.page.model === appModel, section)
            }
        }

        function test_accountRowWhileSignedOut() {
            mouseClick(row("account"))
            compare(row("account").Accessible.name, "Sign in")
        }

        function test_aPageIsBuiltAfreshOnEachVisit() {
            appModel.section = "home"
            const first = view.page
            appModel.section = "settings"
            appModel.section = "home"
            verify(view.page !== first)
        }
    }
}
