import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// Page text: the user can select it with the mouse and copy it (Ctrl+C), and screen readers read
// it. A read-only text editor, in "Commissioner" 13 in `QM.ink` unless the place sets its own font
// and colour. Persian text (by `Script.isPersian`) is right to left at the right edge, anything
// else left to right at the left edge; `alignment` moves it to another edge, `lineSpacing` adds
// points between its lines.
TextEdit {
    id: root
    property int alignment: 0
    property real lineSpacing: 0
    readonly property bool persian: Script.isPersian(text)
    // The height at the width a layout gave, passed on once the layout is done: told while it
    // lays out, the layout would keep the height the text had at its width before.
    property real settledHeight: implicitHeight

    readOnly: true
    selectByMouse: true
    textFormat: TextEdit.PlainText
    color: QM.ink
    font: Typography.latin(13, Font.Normal)
    Accessible.role: Accessible.StaticText
    Accessible.name: text
    Layout.preferredHeight: settledHeight
    onImplicitHeightChanged: Qt.callLater(() => settledHeight = implicitHeight)

    ParagraphStyle {
        document: root.textDocument
        rightToLeft: root.persian
        alignment: root.alignment
        lineSpacing: root.lineSpacing
    }
}
