// The inserter's rules over a clipboard that answers when the test says: what follows a paste
// waits until an application has read the text, and what goes back after it, only once it has,
// is the saved contents, which a slow owner costs but never the paste.

#include "Dictation/Inserter.h"
#include "KeyPoster.h"
#include "ManualClock.h"

#include <QTest>

namespace {
struct PostedKeys final : KeyPoster {
    bool post(const QList<quint32>& keysyms) override
    {
        posted << keysyms;
        return true;
    }
    QList<QList<quint32>> posted;
};

struct HeldClipboard final : Clipboard {
    void save(std::function<void(std::optional<ClipboardContents>)> done) override { saves << std::move(done); }
    bool own(ClipboardContents held, std::function<void(const QByteArray&)> onRead) override
    {
        contents = std::move(held);
        read = std::move(onRead);
        takenByOthers = false;
        return true;
    }
    bool replace(ClipboardContents held) override
    {
        if (takenByOthers)
            return false;
        contents = std::move(held);
        read = nullptr;
        return true;
    }
    void takenBy(ClipboardContents theirs)
    {
        contents = std::move(theirs);
        takenByOthers = true;
        onChanged();
    }

    QList<std::function<void(std::optional<ClipboardContents>)>> saves;
    ClipboardContents contents;
    std::function<void(const QByteArray&)> read;
    bool takenByOthers = false;
};

// An inserter over the clipboard and keys above, on a manual clock.
struct Pasting {
    ManualClock clock;
    PostedKeys keys;
    HeldClipboard clipboard;
    Inserter inserter{clipboard, keys, clock};
};

const ClipboardContents users = {{"UTF8_STRING", "UTF8_STRING", 8, "سلام"}, {"STRING", "STRING", 8, "\xe9t\xe9"}};
const ClipboardContents copiedMeanwhile = {{"UTF8_STRING", "UTF8_STRING", 8, "copied"}};
}

class InserterTests : public QObject {
    Q_OBJECT

private slots:
    void whatFollowsAPasteWaitsForTheTextToBeReadOrForItsBound()
    {
        Pasting pasting;
        auto& [clock, keys, clipboard, inserter] = pasting;
        QList<bool> outcomes;
        const auto note = [&](bool taken) { outcomes << taken; };

        QCOMPARE(inserter.insert(QStringLiteral("read"), Inserter::Target::field), Inserter::Result::pasted);
        inserter.afterTaken(note);
        QCOMPARE(clipboard.contents.first().bytes, QByteArrayLiteral("read"));
        clipboard.read(Inserter::concealedTarget);  // a clipboard history checking the hint
        QVERIFY(outcomes.isEmpty());
        clipboard.read("UTF8_STRING");
        QCOMPARE(outcomes, QList<bool>{true});

        // Never read: the waiting ends at the bound, and not before.
        outcomes.clear();
        const std::function<void(const QByteArray&)> firstRead = std::exchange(clipboard.read, nullptr);
        inserter.insert(QStringLiteral("unread"), Inserter::Target::field);
        inserter.afterTaken(note);
        firstRead("UTF8_STRING");  // a late read of the earlier text
        clock.advance(Inserter::takenBound - std::chrono::milliseconds(1));
        QVERIFY(outcomes.isEmpty());
        clock.advance(std::chrono::milliseconds(1));
        QCOMPARE(outcomes, QList<bool>{false});

        // A paste that comes first withdraws the unread text.
        outcomes.clear();
        inserter.insert(QStringLiteral("withdrawn"), Inserter::Target::field);
        inserter.afterTaken(note);
        inserter.insert(QStringLiteral("next"), Inserter::Target::field);
        QCOMPARE(outcomes, QList<bool>{false});

        QCOMPARE(inserter.insert(QStringLiteral("secret"), Inserter::Target::password), Inserter::Result::copied);
        inserter.afterTaken(note);
        QCOMPARE(outcomes, (QList<bool>{false, true}));
        QCOMPARE(keys.posted.size(), 4);
    }

    void theUsersContentsComeBackOnlyOnceTheTextWasRead()
    {
        Pasting pasting;
        auto& [clock, keys, clipboard, inserter] = pasting;
        const ClipboardContents dictated = Inserter::contentsOf(QStringLiteral("dictated"));

        // An application busy past the restore's time reads the text, not the user's contents.
        inserter.prepare();
        clipboard.saves.first()(users);
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field);
        clock.advance(std::chrono::seconds(2));
        QCOMPARE(clipboard.contents, dictated);
        clipboard.read("UTF8_STRING");
        QCOMPARE(clipboard.contents, users);

        // Never read: the text stays on the clipboard for the user, whoever reads it later.
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field);
        clock.advance(Inserter::takenBound);
        clipboard.read("UTF8_STRING");
        clock.advance(std::chrono::seconds(5));
        QCOMPARE(clipboard.contents, dictated);
    }

    void theSavedContentsGoBackUnlessAnotherApplicationTookTheClipboard()
    {
        Pasting pasting;
        auto& [clock, keys, clipboard, inserter] = pasting;

        inserter.prepare();
        QCOMPARE(clipboard.saves.size(), 1);
        clipboard.saves.first()(users);
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field);
        clipboard.read("UTF8_STRING");
        clock.advance(Inserter::restoreDelay);
        QCOMPARE(clipboard.contents, users);

        // Still ours with the user's contents: the next paste needn't read them again.
        inserter.prepare();
        QCOMPARE(clipboard.saves.size(), 1);
        inserter.insert(QStringLiteral("again"), Inserter::Target::field);
        clipboard.takenBy(copiedMeanwhile);
        clock.advance(Inserter::restoreDelay);
        QCOMPARE(clipboard.contents, copiedMeanwhile);

        // Taken by someone else since: read afresh, but only while a paste is coming.
        inserter.prepare();
        QCOMPARE(clipboard.saves.size(), 2);
        inserter.cancel();
        clipboard.takenBy(users);
        QCOMPARE(clipboard.saves.size(), 2);
    }

    void anOwnerThatHasntAnsweredByThePasteCostsItsContentsNotThePaste()
    {
        Pasting pasting;
        auto& [clock, keys, clipboard, inserter] = pasting;

        inserter.prepare();
        QCOMPARE(inserter.insert(QStringLiteral("dictated"), Inserter::Target::field), Inserter::Result::pasted);
        QCOMPARE(keys.posted.size(), 1);
        clipboard.read("UTF8_STRING");
        clock.advance(Inserter::restoreDelay);
        QVERIFY(clipboard.contents.isEmpty());

        // One that changes hands while the dictation runs is read again.
        inserter.prepare();
        clipboard.takenBy(copiedMeanwhile);
        QCOMPARE(clipboard.saves.size(), 3);
        clipboard.saves.last()(copiedMeanwhile);
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field);
        clipboard.read("UTF8_STRING");
        clock.advance(Inserter::restoreDelay);
        QCOMPARE(clipboard.contents, copiedMeanwhile);
    }
};

QTEST_MAIN(InserterTests)
#include "InserterTests.moc"
