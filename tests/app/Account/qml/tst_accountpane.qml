import QtQuick
import QtTest
import Quillmarsh.App

Item {
    id: window
    width: 900
    height: 800

    Component {
        id: paneComponent
        AccountPane { anchors.fill: parent; model: appModel }
    }

    TestCase {
        name: "AccountPane"
        when: windowShown

        property var pane

        function child(name) { return findChild(pane, name) }
        function linkButton() { return child("linkButton") }
        function typeEmail(text) {
            const field = child("emailField")
            field.forceActiveFocus()
            field.selectAll()
            if (text === "")
                keyClick(Qt.Key_Backspace)
            for (const c of text)
                keyClick(c)
            compare(pane.account.email, text)
        }
        function sendLink(address) {
            typeEmail(address)
            mouseClick(linkButton())
            tryCompare(pane.account, "phase", "sentLink")
        }
        function signIn() {
            sendLink("sara@example.com")
            accounts.returnTo(accounts.emailLinkReturn())
            tryVerify(() => !!appModel.session)
        }

        function init() {
            appModel.signInError = ""
            // The save dialog of an earlier test may have taken the keyboard.
            window.Window.window.requestActivate()
            tryVerify(() => window.Window.active)
            pane = createTemporaryObject(paneComponent, window)
            verify(pane)
            verify(!appModel.session)
        }
        function cleanup() {
            if (!!appModel.session) {
                pane.account.signOut()
                tryVerify(() => !appModel.session)
            }
        }

        function test_linkButtonFollowsTheAddress_data() {
            return [
                { tag: "empty", email: "", enabled: false },
                { tag: "blanks", email: " \u00a0\t", enabled: false },
                { tag: "no dot after @", email: "sara@example", enabled: false },
                { tag: "nothing before @", email: "@example.com", enabled: false },
                { tag: "blank inside", email: "sara ahmadi@example.com", enabled: false },
                { tag: "two @", email: "sara@ex@ample.com", enabled: false },
                { tag: "plain", email: "sara@example.com", enabled: true },
                { tag: "blanks around", email: "\u2003sara@example.com\t\u00a0", enabled: true },
            ]
        }
        function test_linkButtonFollowsTheAddress(data) {
            pane.account.email = data.email
            compare(linkButton().enabled, data.enabled)
            if (!data.enabled) {
                child("emailField").forceActiveFocus()
                keyClick(Qt.Key_Return)
                compare(pane.account.phase, "idle", "Return does nothing either")
            }
        }

        function test_linkIsSentToTheTrimmedAddress() {
            typeEmail("  sara@example.com ")
            mouseClick(linkButton())
            compare(linkButton().text, "Sending\u2026")
            verify(!linkButton().enabled)
            tryCompare(pane.account, "phase", "sentLink")
            compare(child("phaseLine").text,
                    "Check sara@example.com and open the link on this computer. It brings you back here.")
            verify(linkButton().enabled, "another link can be sent")
            compare(linkButton().text, "Email me a sign-in link")
        }

        function test_refusedLinkShowsTheServicesMessageAndKeepsTheAddress() {
            accounts.refuseNextLink(429, '{"code":"over_email_send_rate_limit","message":"email rate limit exceeded"}')
            typeEmail("sara@example.com")
            keyClick(Qt.Key_Return)
            tryCompare(pane.account, "phase", "failed")
            verify(child("phaseLine").visible)
            compare(child("phaseLine").text, "email rate limit exceeded")
            compare(pane.account.email, "sara@example.com")
            verify(linkButton().enabled)
        }

        function test_emailedLinkSignsInThroughTheRunningInstance() {
            appModel.section = "home"
            sendLink("sara@example.com")
            const link = accounts.emailLinkReturn()
            accounts.returnTo(link)
            tryVerify(() => !!appModel.session)
            compare(appModel.section, "account", "the main window shows the account page")
            compare(appModel.signInError, "")
            verify(child("signedInColumn").visible)
            verify(!child("signInCard").visible)
            compare(child("nameLine").text, "Sara")
            compare(child("avatar").text, "S")
            compare(child("badge").children[1].text, "Signed in with an emailed link")
            compare(pane.account.email, "", "the form starts over")
            compare(pane.account.phase, "idle")

            // The same link opened again can't sign in twice, and says so.
            accounts.returnTo(link)
            tryCompare(appModel, "signInError",
                       "This sign-in link wasn't started on this computer, or it has expired. Please try again.")
            verify(!!appModel.session)

            mouseClick(child("signOutButton"))
            tryVerify(() => !appModel.session)
            verify(child("signInCard").visible)
            compare(child("emailField").text, "")
            verify(!child("phaseLine").visible)
            verify(child("signInErrorLine").visible, "the failed return stays until a Google sign-in starts")
        }

        function test_googleSignInClearsTheErrorAndOpensTheBrowser() {
            appModel.signInError = "Couldn\u2019t sign in. Please try again."
            sendLink("sara@example.com")
            verify(child("signInErrorLine").visible && child("phaseLine").visible, "both lines show")
            tryVerify(() => child("signInErrorLine").y < child("phaseLine").y, 1000, "the return's error first")
            mouseClick(child("googleButton"))
            compare(appModel.signInError, "")
            compare(pane.account.phase, "idle")
            verify(!child("signInErrorLine").visible && !child("phaseLine").visible)
            verify(accounts.opened.toString().includes("/auth/v1/authorize?provider=google&"), accounts.opened)
            accounts.returnTo(accounts.googleReturn(accounts.opened))
            tryVerify(() => !!appModel.session)
            compare(child("badge").children[1].text, "Signed in with Google")
        }

        function test_exportIsSavedWhereTheUserChooses() {
            signIn()
            const data = '{"usage":[{"day":"2026-12-01","words":120}]}'
            accounts.answerExport(200, data)
            const dialog = child("saveDialog")
            mouseClick(child("downloadButton"))
            tryVerify(() => dialog.visible)
            verify(!child("downloadButton").enabled && !child("deleteButton").enabled, "busy while the dialog is open")
            verify(child("signOutButton").enabled)
            dialog.accept()
            compare(accounts.read(accounts.fileURL("Documents/quillmarsh-account-data.json")), data)
            compare(child("dataMessage").text, "Saved to quillmarsh-account-data.json.")
            verify(child("downloadButton").enabled)
            verify(accounts.lastBearer.startsWith("Bearer "), "the export carries the access token")
        }

        function test_cancelledSaveLeavesNoMessage() {
            signIn()
            accounts.answerExport(200, "{}")
            mouseClick(child("downloadButton"))
            const dialog = child("saveDialog")
            tryVerify(() => dialog.visible)
            dialog.reject()
            compare(pane.account.dataMessage, "")
            verify(!child("dataMessage").visible)
            verify(child("downloadButton").enabled)
        }

        function test_exportWithNothingInItIsReportedNotSaved() {
            signIn()
            accounts.answerExport(204, "")
            mouseClick(child("downloadButton"))
            tryCompare(child("dataMessage"), "text",
                       "The Quillmarsh server couldn\u2019t do that. Please try again in a moment.")
            verify(!child("saveDialog").visible)
            verify(child("downloadButton").enabled)
        }

        function test_deleteAsksFirst() {
            signIn()
            const confirmation = child("deleteConfirmation")
            const sent = accounts.accountRequests
            mouseClick(child("deleteButton"))
            tryVerify(() => confirmation.opened)
            mouseClick(findChild(confirmation.contentItem, "cancelDeleteButton"))
            tryVerify(() => !confirmation.visible)
            compare(accounts.accountRequests, sent, "Cancel deletes nothing")
            verify(!!appModel.session)

            accounts.answerDelete(429)
            mouseClick(child("deleteButton"))
            tryVerify(() => confirmation.opened)
            mouseClick(findChild(confirmation.contentItem, "confirmDeleteButton"))
            tryCompare(child("dataMessage"), "text", "Too many tries today. Please try again tomorrow.")
            verify(!!appModel.session, "a refused deletion leaves the user signed in")

            accounts.answerDelete(204)
            mouseClick(child("deleteButton"))
            tryVerify(() => confirmation.opened)
            mouseClick(findChild(confirmation.contentItem, "confirmDeleteButton"))
            tryVerify(() => !appModel.session)
            compare(accounts.accountRequests, sent + 2)
            verify(child("signInCard").visible)
        }
    }
}
