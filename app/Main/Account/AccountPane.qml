import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// The Account page: the sign-in form while nobody is signed in, else the account card and the
// data card. The page does no account work itself: its view model, made with the page and gone
// with it, talks to the account manager; a sign-in finished from the browser reaches the page
// through the page model's `session` and `signInError`.
ScrollView {
    id: root
    required property AppModel model
    readonly property AccountViewModel account: model.makeAccountViewModel()
    readonly property var session: model.session ?? null
    // Where the focus rests when the page has no safe control for it (see FocusKeeper).
    readonly property Item heading: header.heading

    contentWidth: availableWidth
    ScrollBar.vertical.policy: ScrollBar.AsNeeded

    // A status line: its symbol, then its text wrapped onto as many lines as it needs.
    component StatusLine: RowLayout {
        property string symbol
        property string text
        Layout.fillWidth: true
        spacing: 8
        SymbolImage {
            Layout.alignment: Qt.AlignTop
            Layout.topMargin: 1
            Layout.preferredWidth: 15
            Layout.preferredHeight: 15
            name: parent.symbol
            color: QM.saffron
        }
        PageText {
            Layout.fillWidth: true
            text: parent.text
            wrapMode: TextEdit.Wrap
        }
    }

    ColumnLayout {
        x: 48
        width: root.availableWidth - 96
        spacing: 22

        Item { Layout.preferredHeight: 38 - parent.spacing }
        PageHeader {
            id: header
            Layout.fillWidth: true
            title: "Account"
        }

        QMCard {
            id: signInCard
            objectName: "signInCard"
            visible: root.session === null
            Layout.fillWidth: true
            Layout.maximumWidth: 460
            padding: 28
            radius: 20
            fill: true

            ColumnLayout {
                width: parent.width
                spacing: 18

                PageText {
                    text: "Sign in to Quillmarsh"
                    font: Typography.latin(24, Font.DemiBold)
                }
                StatusLine {
                    objectName: "noServiceLine"
                    visible: !root.account.canSignIn
                    symbol: "lock"
                    text: "Sign-in isn\u2019t set up on this computer."
                }
                QMButton {
                    id: googleButton
                    objectName: "googleButton"
                    Layout.fillWidth: true
                    primary: true
                    enabled: root.account.canSignIn
                    Accessible.name: "Continue with Google"
                    Row {
                        anchors.centerIn: parent
                        spacing: 10
                        SymbolImage {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 16
                            height: 16
                            name: "globe"
                            color: googleButton.labelColor
                        }
                        QMText {
                            anchors.verticalCenter: parent.verticalCenter
                            text: "Continue with Google"
                            Accessible.ignored: true
                            font: Typography.latin(14, Font.DemiBold)
                            color: googleButton.labelColor
                        }
                    }
                    onClicked: root.account.continueWithGoogle()
                }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: QM.line }
                    PageText {
                        text: "or"
                        font: Typography.latin(12, Font.Normal)
                        color: QM.faint
                    }
                    Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: QM.line }
                }
                FieldBox {
                    Layout.fillWidth: true
                    implicitHeight: 40
                    enabled: root.account.canSignIn
                    QMText {
                        anchors.fill: emailField
                        visible: emailField.text.length === 0
                        text: "you@example.com"
                        // Said with the field, as its description.
                        Accessible.ignored: true
                        font: emailField.font
                        color: QM.faint
                        verticalAlignment: Text.AlignVCenter
                    }
                    TextInput {
                        id: emailField
                        objectName: "emailField"
                        activeFocusOnTab: true
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 12
                        verticalAlignment: TextInput.AlignVCenter
                        clip: true
                        selectByMouse: true
                        font: Typography.latin(14, Font.Normal)
                        color: enabled ? QM.ink : QM.faint
                        inputMethodHints: Qt.ImhEmailCharactersOnly | Qt.ImhNoAutoUppercase
                        Accessible.name: "Email address"
                        Accessible.description: text.length === 0 ? "you@example.com" : ""
                        text: root.account.email
                        onTextEdited: root.account.email = text
                        onAccepted: root.account.sendLink()
                    }
                }
                QMButton {
                    objectName: "linkButton"
                    text: root.account.phase === "sending" ? "Sending\u2026" : "Email me a sign-in link"
                    enabled: root.account.canSignIn && root.account.emailLooksValid && root.account.phase !== "sending"
                    onClicked: root.account.sendLink()
                }
                StatusLine {
                    objectName: "signInErrorLine"
                    visible: root.model.signInError !== ""
                    symbol: "exclamationmark.triangle"
                    text: root.model.signInError
                }
                StatusLine {
                    objectName: "phaseLine"
                    visible: root.account.phase === "sentLink" || root.account.phase === "failed"
                    symbol: root.account.phase === "sentLink" ? "envelope" : "exclamationmark.triangle"
                    text: root.account.phase === "sentLink"
                          ? "Check " + root.account.phaseText + " and open the link on this computer. It brings you back here."
                          : root.account.phaseText
                }
            }
        }

        ColumnLayout {
            objectName: "signedInColumn"
            visible: root.session !== null
            Layout.preferredWidth: 300
            Layout.maximumWidth: 300
            spacing: 16

            QMCard {
                objectName: "accountCard"
                Layout.fillWidth: true
                padding: 20
                radius: 18
                fill: true

                ColumnLayout {
                    width: parent.width
                    spacing: 16

                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 13
                        Rectangle {
                            implicitWidth: 46
                            implicitHeight: 46
                            radius: 23
                            color: QM.ink
                            QMText {
                                objectName: "avatar"
                                anchors.centerIn: parent
                                text: root.session ? AccountBadge.letter(root.session.displayName ?? "", root.session.email ?? "") : ""
                                Accessible.ignored: true
                                font: Typography.latin(19, Font.DemiBold)
                                color: QM.paper
                            }
                        }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            // A Persian name too starts by the avatar.
                            PageText {
                                objectName: "nameLine"
                                Layout.fillWidth: true
                                horizontalAlignment: TextEdit.AlignLeft
                                text: root.session?.displayName ?? "Your account"
                                font: Typography.latin(16, Font.DemiBold)
                            }
                            QMText {
                                objectName: "emailLine"
                                Layout.fillWidth: true
                                text: root.session?.email ?? ""
                                font: Typography.latin(13, Font.Normal)
                                color: QM.faint
                                elide: Text.ElideRight
                                maximumLineCount: 1
                            }
                        }
                    }
                    Item {
                        objectName: "badge"
                        visible: (root.session?.provider ?? null) !== null
                        implicitWidth: badgeText.implicitWidth + 22
                        implicitHeight: 26
                        QMShape {
                            anchors.fill: parent
                            fillColor: QM.soft
                            strokeColor: QM.line
                            radius: height / 2
                        }
                        PageText {
                            id: badgeText
                            anchors.centerIn: parent
                            text: root.session?.provider === "google" ? "Signed in with Google" : "Signed in with an emailed link"
                            font: Typography.latin(12.5, Font.Normal)
                            color: QM.sub
                        }
                    }
                    QMButton {
                        objectName: "signOutButton"
                        Layout.fillWidth: true
                        text: "Sign out"
                        dangerous: true
                        onClicked: root.account.signOut()
                    }
                }
            }

            Item {
                objectName: "dataCard"
                Layout.fillWidth: true
                implicitHeight: dataColumn.implicitHeight + 40
                QMShape {
                    anchors.fill: parent
                    fillColor: QM.soft
                    strokeColor: QM.line
                    radius: 18
                }
                ColumnLayout {
                    id: dataColumn
                    x: 20
                    y: 20
                    width: parent.width - 40
                    spacing: 10

                    PageText {
                        text: "Your data"
                        font: Typography.latin(14.5, Font.DemiBold)
                    }
                    PageText {
                        Layout.fillWidth: true
                        text: "Your voice is turned into text and is not kept. History, vocabulary and snippets live on this computer."
                        color: QM.sub
                        wrapMode: TextEdit.Wrap
                        lineSpacing: 3
                    }
                    ColumnLayout {
                        visible: root.account.hasAPI
                        enabled: !root.account.dataBusy
                        Layout.fillWidth: true
                        Layout.topMargin: 4
                        spacing: 8
                        QMButton {
                            objectName: "downloadButton"
                            Layout.fillWidth: true
                            text: "Download my data"
                            // Fetches the export and opens a save dialog: never the focus's place
                            // after a sign-in or anything else the user didn't aim at it.
                            dangerous: true
                            onClicked: root.account.exportData()
                        }
                        QMButton {
                            id: deleteButton
                            objectName: "deleteButton"
                            Layout.fillWidth: true
                            text: "Delete account\u2026"
                            dangerous: true
                            onClicked: deleteConfirmation.open()
                        }
                    }
                    PageText {
                        objectName: "dataMessage"
                        visible: root.account.hasAPI && root.account.dataMessage !== ""
                        Layout.fillWidth: true
                        text: root.account.dataMessage
                        font: Typography.latin(12.5, Font.Normal)
                        color: QM.sub
                        wrapMode: TextEdit.Wrap
                    }
                }
            }
        }
        Item { Layout.preferredHeight: 36 - parent.spacing }
    }

    // A sign-in or sign-out starts the form over.
    Connections {
        target: root.model
        function onAccountStateChanged() { root.account.refresh() }
    }

    ConfirmDeletion {
        id: deleteConfirmation
        objectName: "deleteConfirmation"
        title: "Delete your account?"
        message: "This deletes your account and the usage we hold for it, and signs you out. Your history, vocabulary and snippets stay on this computer. It can\u2019t be undone."
        confirmText: "Delete account"
        confirmName: "confirmDeleteButton"
        cancelName: "cancelDeleteButton"
        onConfirmed: root.account.deleteAccount()
        onClosed: deleteButton.takeBackFocus()
    }
}
