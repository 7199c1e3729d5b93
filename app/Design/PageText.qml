import QtQuick
import Quillmarsh.Design

// Page text: the user can select it with the mouse and copy it (Ctrl+C), and screen readers read
// it. A read-only text editor, in "Commissioner" 13 in `QM.ink` unless the place sets its own font
// and colour. Persian text (by `Script.isPersian`) is right to left at the right edge, anything
// else left to right at the left edge; `horizontalAlignment` moves it to another edge, whatever its
// direction; `rightToLeft` sets the direction of a text that says which it reads in;
// `lineSpacing` adds points between its lines.
TextEdit {
    id: root
    property real lineSpacing: 0
    readonly property bool persian: Script.isPersian(text)
    property bool rightToLeft: persian

    readOnly: true
    selectByMouse: true
    textFormat: TextEdit.PlainText
    horizontalAlignment: rightToLeft ? TextEdit.AlignRight : TextEdit.AlignLeft
    color: QM.ink
    font: Typography.latin(13, Font.Normal)
    Accessible.role: Accessible.StaticText
    Accessible.name: text
    // Holding the focus (a page's heading, where the focus rests when the page has no control for
    // it; a text the user clicked), it hands Tab on to the control after it, as a control does,
    // rather than to the window's first.
    Keys.onTabPressed: Keyboard.tabOut(root, true)
    Keys.onBacktabPressed: Keyboard.tabOut(root, false)

    ParagraphStyle {
        document: root.textDocument
        rightToLeft: root.rightToLeft
        alignment: root.horizontalAlignment
        lineSpacing: root.lineSpacing
    }
}
