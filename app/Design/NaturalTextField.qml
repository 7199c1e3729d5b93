import QtQuick
import Quillmarsh.Design

// The pages' one-line text field for Persian and English. The page owns the text: every edit is
// reported through `edited` and the field follows `text`. While the user types, the field
// re-decides on each change whether the text is Persian and switches font ("Vazirmatn" one point
// larger), alignment and direction. Return reports `submitted` and keeps the focus.
FocusScope {
    id: root
    property string text
    property string placeholder
    property string accessibilityLabel
    property real size: 14

    readonly property bool persian: Script.isPersian(input.text)
    readonly property alias editor: input
    readonly property alias font: input.font
    readonly property alias horizontalAlignment: input.horizontalAlignment

    signal edited(string text)
    signal submitted()

    implicitWidth: 200
    implicitHeight: input.implicitHeight

    // Only a change from outside is written into the field, so typing is never written back. Such a
    // text, like the first, shows from its beginning: a long one is cut at its end, not its start.
    onTextChanged: {
        if (input.text !== root.text) {
            input.text = root.text
            input.cursorPosition = 0
        }
    }
    Component.onCompleted: input.cursorPosition = 0

    QMText {
        anchors.fill: input
        visible: input.text.length === 0
        text: root.placeholder
        // Said with the field, as its description.
        Accessible.ignored: true
        font: Typography.latin(root.size, Font.Normal)
        color: QM.faint
        horizontalAlignment: Text.AlignLeft
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    TextInput {
        id: input
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: root.text
        focus: true
        activeFocusOnTab: true
        clip: true
        selectByMouse: true
        color: QM.ink
        font: Typography.forText(text, root.size, Font.Normal)
        horizontalAlignment: root.persian ? TextInput.AlignRight : TextInput.AlignLeft
        Accessible.name: root.accessibilityLabel
        Accessible.description: input.text.length === 0 ? root.placeholder : ""
        onTextEdited: root.edited(text)
        onAccepted: root.submitted()
    }
}
