import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The sidebar's account row: the avatar letter, name and e-mail while signed in (the model's
// `session`), "Sign in" while signed out. Opens the account page.
QMPressable {
    id: root
    required property AppModel model
    readonly property var session: model.session ?? null
    readonly property bool selected: model.section === "account"

    objectName: "nav-account"
    implicitHeight: 48
    focusRadius: 10
    Accessible.name: session ? AccountBadge.name(session.displayName ?? "") : "Sign in"
    Accessible.selected: selected

    QMShape {
        anchors.fill: parent
        anchors.margins: -margin
        visible: root.selected
        fillColor: "white"
        strokeColor: QM.line
        strokeWidth: 1
        radius: 10
    }
    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        spacing: 10

        Rectangle {
            visible: root.session !== null
            implicitWidth: 28
            implicitHeight: 28
            radius: 14
            color: QM.ink
            QMText {
                objectName: "avatar"
                anchors.centerIn: parent
                text: root.session ? AccountBadge.letter(root.session.displayName ?? "", root.session.email ?? "") : ""
                Accessible.ignored: true
                font: Typography.latin(13, Font.DemiBold)
                color: QM.paper
            }
        }
        ColumnLayout {
            visible: root.session !== null
            Layout.fillWidth: true
            spacing: 0
            // A Persian name too starts by the avatar.
            QMText {
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignLeft
                text: root.session ? AccountBadge.name(root.session.displayName ?? "") : ""
                Accessible.ignored: true
                font: Typography.latin(13.5, Font.DemiBold)
                color: QM.ink
                elide: Text.ElideRight
            }
            QMText {
                Layout.fillWidth: true
                text: root.session ? (root.session.email ?? "") : ""
                font: Typography.latin(12, Font.Normal)
                color: QM.faint
                elide: Text.ElideRight
            }
        }

        SymbolImage {
            visible: root.session === null
            Layout.preferredWidth: 28
            Layout.preferredHeight: 22
            name: "person.crop.circle"
            color: QM.sub
        }
        QMText {
            visible: root.session === null
            Layout.fillWidth: true
            text: "Sign in"
            Accessible.ignored: true
            font: Typography.latin(14, Font.Medium)
            color: QM.sub
        }
    }
    onClicked: root.model.section = "account"
}
