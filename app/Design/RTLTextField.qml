import QtQuick
import QtQuick.Controls.Basic
import Quillmarsh.Design

// A multi-line plain-text editor for Persian: "Vazirmatn", right-aligned and right to left even
// when empty. The page owns the text: every edit is reported through `edited`; a different
// `text` from outside replaces the editor's text, the same text leaves the caret where it is.
ScrollView {
    id: root
    property string text
    property real fontSize: 15
    property bool focusOnAppear: false
    // What the empty field's placeholder says, for a reader (the placeholder is drawn beside it).
    property string placeholder

    readonly property alias editor: area

    signal edited(string text)

    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
    ScrollBar.vertical.policy: ScrollBar.AsNeeded

    onTextChanged: if (area.text !== root.text) area.text = root.text

    TextArea {
        id: area
        text: root.text
        textFormat: TextEdit.PlainText
        wrapMode: TextEdit.Wrap
        background: null
        leftPadding: 8
        rightPadding: 8
        topPadding: 10
        bottomPadding: 10
        font: Typography.persian(root.fontSize)
        color: QM.ink
        horizontalAlignment: TextEdit.AlignRight
        Accessible.name: "Practice field"
        Accessible.description: root.placeholder
        Keys.onTabPressed: Keyboard.tabOut(area, true)
        Keys.onBacktabPressed: Keyboard.tabOut(area, false)
        ParagraphStyle {
            document: area.textDocument
            rightToLeft: true
            lineSpacing: 6
        }
        onTextChanged: if (text !== root.text) root.edited(text)
        Component.onCompleted: if (root.focusOnAppear) Qt.callLater(() => area.forceActiveFocus())
    }
}
