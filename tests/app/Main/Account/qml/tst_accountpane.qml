import QtQuick
import QtTest
import Quillmarsh.App
import Quillmarsh.Design

Item {
    id: window
    width: 900
    height: 800

    Component {
        id: paneComponent
        AccountPane { anchors.fill: parent; model: appModel }
    }
    // As in the main window, a control that goes hands the keyboard on within the page.
    FocusKeeper { id: keeper }

    TestCase {
        name: "AccountPane"
        when: windowShown

        property var pane

        function child(name) { return findChild(pane, name) }
        function sendLink(address) {
            child("emailField").forceActiveFocus()
            for (const c of address)
                keyClick(c)
            mouseClick(child("linkButton"))
        }
        function signIn() {
            sendLink("sara@example.com")
            tryCompare(pane.account, "phase", "sentLink")
            accounts.returnTo(accounts.emailLinkReturn())
            tryVerify(() => !!appModel.session)
            verify(child("downloadButton").visible && child("deleteButton").visible, "the account server is known")
        }
        function confirmDeletion(choice) {
            mouseClick(child("deleteButton"))
            tryVerify(() => child("deleteConfirmation").opened)
            mouseClick(findChild(child("deleteConfirmation").contentItem, choice))
        }

        function init() {
            appModel.signInError = ""
            // A save dialog of an earlier test may have taken the keyboard.
            window.Window.window.requestActivate()
            tryVerify(() => window.Window.active)
            pane = createTemporaryObject(paneComponent, window)
            keeper.area = pane
            keeper.heading = pane.heading
        }
        function cleanup() {
            if (appModel.session) {
                pane.account.signOut()
                tryVerify(() => !appModel.session)
            }
        }

        function test_linkButtonFollowsTheAddress_data() {
            return [
                { tag: "empty", email: "", enabled: false },
                { tag: "blanks", email: " \u00a0\t", enabled: false },
                { tag: "no dot after @", email: "sara@example", enabled: false },
                { tag: "blank inside", email: "sara ahmadi@example.com", enabled: false },
                { tag: "two @", email: "sara@ex@ample.com", enabled: false },
                { tag: "blanks around", email: "\u2003sara@example.com\t\u00a0", enabled: true },
            ]
        }
        function test_linkButtonFollowsTheAddress(data) {
            pane.account.email = data.email
            compare(child("linkButton").enabled, data.enabled)
            child("emailField").forceActiveFocus()
            keyClick(Qt.Key_Return)
            compare(pane.account.phase, data.enabled ? "sending" : "idle", "Return does what the button does")
            tryVerify(() => pane.account.phase !== "sending")
        }

        function test_linkIsSentToTheTrimmedAddressAndAFailureKeepsIt() {
            sendLink("  sara@example.com ")
            compare(child("linkButton").text, "Sending\u2026")
            verify(!child("linkButton").enabled)
            tryCompare(child("phaseLine"), "text",
                       "Check sara@example.com and open the link on this computer. It brings you back here.")
            verify(child("linkButton").enabled, "another link can be sent")

            accounts.refuseNextLink(429, '{"code":"over_email_send_rate_limit","message":"email rate limit exceeded"}')
            mouseClick(child("linkButton"))
            tryCompare(child("phaseLine"), "text", "email rate limit exceeded")
            compare(pane.account.email, "  sara@example.com ")
        }

        function test_emailedLinkSignsInThroughTheRunningInstance() {
            appModel.section = "home"
            signIn()
            compare(appModel.section, "account", "the main window shows the account page")
            verify(child("signedInColumn").visible && !child("signInCard").visible)
            compare([child("nameLine").text, child("avatar").text, child("badge").children[1].text],
                    ["Sara", "S", "Signed in with an emailed link"])

            // The same link opened again can't sign in twice, and says so.
            accounts.returnTo(accounts.emailLinkReturn())
            tryCompare(appModel, "signInError",
                       "This sign-in link wasn't started on this computer, or it has expired. Please try again.")
            verify(!!appModel.session)

            mouseClick(child("signOutButton"))
            tryVerify(() => child("signInCard").visible)
            compare(child("emailField").text, "")
            verify(!child("phaseLine").visible)
            verify(!child("signInErrorLine").visible, "the failed return went with the account signed out")
            mouseClick(child("googleButton"))
            verify(accounts.opened().toString().includes("/auth/v1/authorize?provider=google&"), accounts.opened())
            accounts.returnTo(accounts.googleReturn(accounts.opened()))
            tryCompare(child("badge").children[1], "text", "Signed in with Google")
        }

        // What the last attempt said goes when another starts.
        function test_aNewSignInAttemptClearsTheLastOnesLines() {
            appModel.signInError = "Couldn\u2019t sign in."
            sendLink("sara@example.com")
            verify(!child("signInErrorLine").visible, "a new link clears the error")
            tryCompare(pane.account, "phase", "sentLink")
            appModel.signInError = "Couldn\u2019t sign in."
            mouseClick(child("googleButton"))
            verify(!child("signInErrorLine").visible && !child("phaseLine").visible, "Google clears both lines")
        }

        // "Saved to …" was about the account signed in then; it is not shown to the next one.
        function test_theDataMessageGoesWithTheAccount() {
            signIn()
            accounts.answer("GET", 200, '{"a":1}')
            accounts.makeFolder("Documents")
            download()
            accounts.typeName(accounts.inHome("Documents/before-sign-out.json"))
            accounts.pressSave()
            tryCompare(child("dataMessage"), "text", "Saved to before-sign-out.json.")
            mouseClick(child("signOutButton"))
            tryVerify(() => child("signInCard").visible)
            window.Window.window.requestActivate()
            tryVerify(() => window.Window.active)
            signIn()
            verify(!child("dataMessage").visible)
        }

        function download() {
            mouseClick(child("downloadButton"))
            tryVerify(() => accounts.saveDialogOpen())
        }

        function test_exportIsSavedOnlyWhenThereIsDataAndAPlace() {
            signIn()
            const data = '{"usage":[{"day":"2026-12-01","words":120}]}'
            accounts.answer("GET", 200, data)
            accounts.makeFolder("Documents")
            download()
            verify(!child("downloadButton").enabled && !child("deleteButton").enabled && child("signOutButton").enabled)
            compare(accounts.saveButtonText(), "&Save")
            compare(accounts.saveDialogName(), "quillmarsh-account-data.json")
            accounts.pressSave()
            tryCompare(child("dataMessage"), "text", "Saved to quillmarsh-account-data.json.")
            compare(accounts.savedFile("Documents/quillmarsh-account-data.json"), data)

            download()
            accounts.cancelSave()
            tryVerify(() => child("downloadButton").enabled)
            verify(!child("dataMessage").visible, "a cancelled save leaves no message")

            accounts.answer("GET", 204, "")
            mouseClick(child("downloadButton"))
            tryCompare(child("dataMessage"), "text", "The Quillmarsh server couldn\u2019t do that. Please try again in a moment.")
            verify(!accounts.saveDialogOpen())
            verify(accounts.logMentions("account export failed: The Quillmarsh server couldn\u2019t do that. Please try again in a moment. (204)"))
        }

        // Wherever the user says: a typed name, a name kept while moving to another folder, a full path.
        function test_exportGoesWhereTheUserSays_data() {
            return [
                { tag: "typed name", name: "mine", folder: "", saved: "Documents/mine.json" },
                { tag: "another folder", name: "kept.json", folder: "Desktop", saved: "Desktop/kept.json" },
                { tag: "full path", name: accounts.inHome("elsewhere/full.json"), folder: "", saved: "elsewhere/full.json" },
            ]
        }
        function test_exportGoesWhereTheUserSays(data) {
            signIn()
            accounts.answer("GET", 200, '{"a":1}')
            for (const folder of ["Documents", "Desktop", "elsewhere"])
                accounts.makeFolder(folder)
            download()
            accounts.typeName(data.name)
            if (data.folder) {
                accounts.openFolder(data.folder)
                compare(accounts.saveDialogName(), data.name, "the name stays while the folder changes")
            }
            accounts.pressSave()
            tryCompare(child("dataMessage"), "text", "Saved to " + data.saved.split("/").pop() + ".")
            compare(accounts.savedFile(data.saved), '{"a":1}')
        }

        // Pressed from the keyboard, Download has the focus back when the save dialog closes, with
        // its ring, and Return asks again.
        function test_theSaveDialogGivesTheFocusBack() {
            signIn()
            accounts.answer("GET", 200, '{"a":1}')
            window.Window.window.requestActivate()
            tryVerify(() => window.Window.active)
            child("downloadButton").forceActiveFocus(Qt.TabFocusReason)
            keyClick(Qt.Key_Return)
            tryVerify(() => accounts.saveDialogOpen())
            accounts.cancelSave()
            // As the desktop's window manager does when a window closes.
            window.Window.window.requestActivate()
            tryVerify(() => window.Window.active && child("downloadButton").activeFocus)
            verify(child("downloadButton").visualFocus)
            keyClick(Qt.Key_Return)
            tryVerify(() => accounts.saveDialogOpen())
            accounts.cancelSave()
        }

        function focused() { return window.Window.activeFocusItem }

        // Once the link has signed in, the form's field no longer has the keyboard: the page's
        // heading has it, never Download, Delete or Sign out, where a stray Return would act.
        // Nothing asks for another sign-in while the account is shown.
        function test_aSignInLeavesNoWayToSignInAgain() {
            accounts.answer("GET", 200, '{"a":1}')
            child("emailField").forceActiveFocus(Qt.TabFocusReason)
            for (const c of "sara@example.com")
                keyClick(c)
            keyClick(Qt.Key_Return)
            tryCompare(pane.account, "phase", "sentLink")
            accounts.returnTo(accounts.emailLinkReturn())
            tryVerify(() => !!appModel.session)
            // The user comes back from the browser.
            window.Window.window.requestActivate()
            tryVerify(() => window.Window.active)
            tryVerify(() => focused() === pane.heading, 5000, String(focused()))
            keyClick(Qt.Key_Return)
            keyClick(Qt.Key_Space)
            // A download the keys started would end in the save dialog.
            tryVerify(() => !pane.account.dataBusy || accounts.saveDialogOpen())
            verify(!accounts.saveDialogOpen())

            const opened = accounts.opened()
            pane.account.email = "other@example.com"
            pane.account.sendLink()
            pane.account.continueWithGoogle()
            compare(pane.account.phase, "idle")
            compare(accounts.opened(), opened)
        }

        // Reopened from the keyboard, the question is on Cancel again, with its ring, and Space
        // deletes nothing. While the deletion runs, and after it, the keyboard rests on the page's
        // heading: the buttons beside it are off or sign out.
        function test_theDeleteQuestionOpensOnCancel() {
            signIn()
            window.Window.window.requestActivate()
            tryVerify(() => window.Window.active)
            accounts.answer("DELETE", 204, "")
            const sent = accounts.accountRequests()
            const dialog = child("deleteConfirmation")
            const open = () => {
                keyClick(Qt.Key_Return)
                tryVerify(() => dialog.opened)
                const cancel = findChild(dialog.contentItem, "cancelDeleteButton")
                verify(focused() === cancel && cancel.visualFocus)
            }
            child("deleteButton").forceActiveFocus(Qt.TabFocusReason)
            open()
            keyClick(Qt.Key_Backtab)
            keyClick(Qt.Key_Escape)
            tryVerify(() => !dialog.visible)
            open()
            keyClick(Qt.Key_Space)
            tryVerify(() => !dialog.visible)
            compare(accounts.accountRequests(), sent)

            open()
            keyClick(Qt.Key_Backtab)
            keyClick(Qt.Key_Space)
            tryVerify(() => child("signInCard").visible)
            compare(accounts.accountRequests(), sent + 1)
            tryVerify(() => focused() === pane.heading, 5000, String(focused()))
        }

        function test_deleteAsksFirst() {
            signIn()
            const sent = accounts.accountRequests()
            mouseClick(child("deleteButton"))
            const buttons = child("deleteConfirmation").contentItem
            tryVerify(() => child("deleteConfirmation").opened)
            verify(findChild(buttons, "confirmDeleteButton").x < findChild(buttons, "cancelDeleteButton").x,
                   "the destructive choice, then Cancel, as in every question before a deletion")
            child("deleteConfirmation").close()
            confirmDeletion("cancelDeleteButton")
            compare(accounts.accountRequests(), sent, "Cancel deletes nothing")

            accounts.answer("DELETE", 429, "")
            confirmDeletion("confirmDeleteButton")
            tryCompare(child("dataMessage"), "text", "Too many tries today. Please try again tomorrow.")
            verify(accounts.logMentions("account deletion failed: Too many tries today. Please try again tomorrow."))

            accounts.answer("DELETE", 204, "")
            confirmDeletion("confirmDeleteButton")
            tryVerify(() => child("signInCard").visible)
            compare(accounts.accountRequests(), sent + 2)
        }
    }
}
