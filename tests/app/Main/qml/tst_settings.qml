import QtQuick
import QtTest
import Quillmarsh.App

Item {
    width: 888
    height: 1400

    Component {
        id: settingsPage
        SettingsView { anchors.fill: parent; model: appModel }
    }

    TestCase {
        name: "Settings"
        when: windowShown

        // As the user first sees it: laid out and drawn (page text takes its height as it is drawn).
        function show() {
            const page = createTemporaryObject(settingsPage, parent)
            waitForRendering(page)
            return page
        }

        function test_controlsWriteTheModel_data() {
            return [
                { tag: "improve", control: "improveAfterInserting", property: "improveAfterInserting" },
                { tag: "history", control: "historyEnabled", property: "historyEnabled" },
                { tag: "recordings", control: "keepClips", property: "keepClips" },
            ]
        }
        function test_controlsWriteTheModel(row) {
            const page = show()
            const before = appModel[row.property]
            mouseClick(findChild(page, row.control))
            compare(appModel[row.property], !before)
            mouseClick(findChild(page, row.control))
            compare(appModel[row.property], before)
        }

        function test_keyChipChoosesTheKey() {
            const page = show()
            mouseClick(findChild(page, "key-rightCommand"))
            compare(appModel.dictationKey, "rightCommand")
            verify(findChild(page, "key-rightCommand").selected)
            verify(!findChild(page, "key-fn").selected)
            mouseClick(findChild(page, "key-fn"))
            compare(appModel.dictationKey, "fn")
        }

        function test_historyOffDisablesWhatNeedsIt() {
            const page = show()
            appModel.historyEnabled = false
            verify(!findChild(page, "retention").enabled)
            verify(!findChild(page, "keepClips").enabled)
            compare(findChild(page, "keepClipsRow").note, "Needs history to be on.")
            appModel.historyEnabled = true
            verify(findChild(page, "retention").enabled)
        }

        function test_theRetentionMenuMarksTheCurrentPeriod() {
            const page = show()
            appModel.historyEnabled = true
            const menu = findChild(page, "retentionMenu")
            const checked = () => [0, 1, 2, 3].filter(index => menu.itemAt(index).Accessible.checked)
            for (const [days, index] of [[90, 2], [30, 1]]) {
                appModel.historyDays = days
                mouseClick(findChild(page, "retention"))
                tryVerify(() => menu.opened)
                compare(checked(), [index])
                verify(menu.itemAt(index).indicator.visible && !menu.itemAt(3 - index).indicator.visible)
                mouseClick(menu.itemAt(index))
                tryVerify(() => !menu.visible)
                compare(checked(), [index], "choosing it again keeps it")
            }
            mouseClick(findChild(page, "retention"))
            tryVerify(() => menu.opened)
            mouseClick(menu.itemAt(0))
            compare(appModel.historyDays, 7)
            compare(checked(), [0])
        }

        function test_withoutAServerThereIsNoEngineChoice() {
            const page = show()
            verify(!appModel.serverConfigured)
            verify(!findChild(page, "engineMode").visible)
        }

        function test_openAtLoginFailureShowsTheNote() {
            const page = show()
            mouseClick(findChild(page, "openAtLogin"))
            verify(page.loginProblem)
            tryVerify(() => !findChild(page, "openAtLogin").checked)
            verify(findChild(page, "openAtLoginRow").note.startsWith("The autostart entry couldn’t be saved."))
        }
    }
}
