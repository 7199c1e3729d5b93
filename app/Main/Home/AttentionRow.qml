import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// One thing the desktop doesn't allow: a warning sign, what is missing, and the button that helps
// (none where nothing here can). Placed by bindings rather than a row layout: a layout built at no
// width can keep its first, narrowest arrangement once the page gets its size, which leaves the
// sign beside another notice's line.
Item {
    id: root
    property string message
    property string button
    signal activated

    implicitHeight: Math.max(sign.height, line.implicitHeight, action.visible ? action.implicitHeight : 0)

    SymbolImage {
        id: sign
        anchors.verticalCenter: parent.verticalCenter
        width: 18
        height: 18
        name: "exclamationmark.triangle"
        color: QM.saffron
    }
    PageText {
        id: line
        objectName: "noticeLine"
        anchors.left: sign.right
        anchors.leftMargin: 12
        anchors.right: action.visible ? action.left : parent.right
        anchors.rightMargin: action.visible ? 32 : 20
        anchors.verticalCenter: parent.verticalCenter
        text: root.message
        font: Typography.latin(13.5, Font.Normal)
        color: QM.ink
        wrapMode: TextEdit.Wrap
    }
    QMSmallButton {
        id: action
        objectName: "noticeButton"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        visible: root.button !== ""
        text: root.button
        onClicked: root.activated()
    }
}
