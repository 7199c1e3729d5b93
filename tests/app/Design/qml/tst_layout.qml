import QtQuick
import QtQuick.Layouts
import QtTest
import Quillmarsh.Design

Item {
    width: 600
    height: 400

    QMCard {
        id: hugging
        padding: 20
        Text { id: shortText; text: "Short" }
    }
    Item {
        y: 100
        width: 500
        height: 200
        QMCard {
            id: filling
            anchors.fill: parent
            fill: true
            padding: 20
            Text { id: corner; text: "Corner" }
        }
    }
    ColumnLayout {
        y: 100
        width: 300
        spacing: 0
        SettingRow {
            id: bare
            Layout.fillWidth: true
            title: "Keep history"
        }
        SettingRow {
            id: wordy
            Layout.fillWidth: true
            title: "Punctuation"
            note: "A note long enough that it has to wrap onto several lines in a row this narrow, never cut."
            Rectangle { id: wideControl; width: 200; height: 20 }
        }
    }

    TestCase {
        name: "Layout"
        when: windowShown

        function test_cardHugsItsContentOrFillsItsContainer() {
            compare(hugging.width, shortText.implicitWidth + 40)
            compare(hugging.height, shortText.implicitHeight + 40)
            compare(filling.width, 500)
            compare(filling.height, 200)
            const at = corner.mapToItem(filling, 0, 0)
            compare(at.x, 20)
            compare(at.y, 20)
        }

        function test_settingRowIsAtLeast56HighAndGrowsForItsNote() {
            compare(bare.height, 56)
            verify(wordy.height > 56)
            // The wide control leaves the note its room: it wraps rather than being cut, and it
            // ends at least 12 before the control.
            const note = wordy.children[0].children[0].children[1]
            verify(note.lineCount > 1)
            verify(!note.truncated)
            const noteEnd = note.mapToItem(wordy, note.width, 0).x
            const controlStart = wideControl.mapToItem(wordy, 0, 0).x
            verify(noteEnd + 12 <= controlStart, noteEnd + " " + controlStart)
            compare(wideControl.mapToItem(wordy, wideControl.width, 0).x, wordy.width)
        }
    }
}
