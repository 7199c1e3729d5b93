import QtQuick
import Quillmarsh.Design
import Quillmarsh.App

// The pill's face: the orb, then the words or the outcome, then the hands-free clock or Undo.
Rectangle {
    id: root
    required property PillController pill
    readonly property PillTheme theme: PillTheme {}
    readonly property bool showsWords: pill.mode === "listening" || pill.mode === "handsFree"
                                       || pill.mode === "finishing"

    color: theme.fill
    radius: theme.radius
    // A message wraps to the lines it needs and the pill grows to hold them (the window keeps at
    // least its one-line height); the words keep one line.
    implicitHeight: showsWords ? 0 : message.implicitHeight + 2 * theme.messageMargin

    OrbView {
        id: orb
        width: root.theme.orbSize
        height: root.theme.orbSize
        anchors.left: parent.left
        anchors.leftMargin: root.theme.padding
        anchors.verticalCenter: parent.verticalCenter
        light: true
        running: root.pill.animating
        level: root.pill.level
        Component.onCompleted: orbState.mode = root.pill.orbMode
        Connections {
            target: root.pill
            function onChanged() { orb.orbState.mode = root.pill.orbMode }
        }
    }

    PillTextView {
        anchors.left: orb.right
        anchors.leftMargin: 10
        anchors.right: trailing.left
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        visible: root.showsWords
        theme: root.theme
        stableText: root.pill.stableText
        settlingText: root.pill.settlingText
    }

    MixedText {
        id: message
        anchors.left: orb.right
        anchors.leftMargin: 10
        anchors.right: trailing.left
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        visible: !root.showsWords
        text: root.pill.message
        size: root.theme.textSize
        weight: Font.Medium
        color: root.theme.text
        lineLimit: root.theme.messageLines
    }

    Item {
        id: trailing
        anchors.right: parent.right
        anchors.rightMargin: root.theme.padding + 4
        anchors.verticalCenter: parent.verticalCenter
        width: root.pill.canUndo ? undo.implicitWidth : clockText.implicitWidth
        height: parent.height

        QMText {
            id: clockText
            anchors.verticalCenter: parent.verticalCenter
            visible: root.pill.mode === "handsFree"
            text: root.pill.clock
            color: root.theme.settling
            font: Typography.forText(text, 13, Font.Medium)
        }
        QMText {
            id: undo
            anchors.verticalCenter: parent.verticalCenter
            visible: root.pill.canUndo
            text: "Undo"
            color: root.theme.accent
            font: Typography.forText(text, 13, Font.DemiBold)
            MouseArea {
                anchors.fill: parent
                anchors.margins: -8
                cursorShape: Qt.PointingHandCursor
                onClicked: root.pill.undo()
            }
        }
    }
}
