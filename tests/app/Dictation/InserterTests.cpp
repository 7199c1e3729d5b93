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

// A clipboard with a desktop's clock: each change of hands gets the next time, and putting
// contents back as of a time before the last change is refused, as an X server refuses it (time 0
// is "now", never refused). The time of our own change, and whether the clipboard is still ours,
// are told at once, or when the test says.
struct HeldClipboard final : Clipboard {
    void save(std::function<void(std::optional<ClipboardContents>)> done) override { saves << std::move(done); }
    bool own(ClipboardContents held, ClipboardServing serving) override
    {
        contents = std::move(held);
        read = std::move(serving.read);
        taken = std::move(serving.taken);
        copied = std::move(serving.copied);
        changedAt = ownedAt = ++now;
        if (!holdTimes)
            tellTime();
        return true;
    }
    bool replace(ClipboardContents held, quint64 since) override
    {
        if (since != 0 && since < changedAt)
            return false;
        contents = std::move(held);
        changedAt = since != 0 ? since : ++now;
        read = nullptr;
        return true;
    }
    // Another application takes the clipboard; its notice comes at once, or never (still on its way).
    void takenBy(ClipboardContents theirs, bool noticed = true)
    {
        contents = std::move(theirs);
        changedAt = ++now;
        if (noticed)
            onChanged();
    }
    // A clipboard history takes our text over as its own copy: the same text, a later owner.
    void copiedBy()
    {
        changedAt = copiedAt = ++now;
        copied(now);
    }
    std::optional<quint64> takenAt() override { return std::nullopt; }
    void askStillOurs(std::function<void(bool)> answer) override
    {
        asked = [this, answer = std::move(answer)] { answer(changedAt == ownedAt || changedAt == copiedAt); };
        if (!holdAnswers)
            std::exchange(asked, nullptr)();
    }
    void tellTime() { std::exchange(taken, nullptr)(ownedAt); }
    // The application shows it handled what it was sent when the test says.
    void askHandled(quint64 window, std::function<void()> answer) override
    {
        handledAskedOf = window;
        handled = std::move(answer);
    }

    QList<std::function<void(std::optional<ClipboardContents>)>> saves;
    ClipboardContents contents;
    std::function<void(const QByteArray&)> read;
    std::function<void(quint64)> taken;
    std::function<void(quint64)> copied;
    quint64 now = 100;
    quint64 changedAt = 0;
    quint64 ownedAt = 0;  // when our last own() took it
    quint64 copiedAt = 0;  // when a history's copy of it took over
    quint64 handledAskedOf = 0;
    std::function<void()> handled;
    bool holdTimes = false;
    std::function<void()> asked;  // the answer held back
    bool holdAnswers = false;
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
        using Uptake = Inserter::Uptake;
        QList<Uptake> outcomes;
        const auto note = [&](Uptake uptake) { outcomes << uptake; };

        QCOMPARE(inserter.insert(QStringLiteral("read"), Inserter::Target::field, 0), Inserter::Result::pasted);
        inserter.afterTaken(note);
        QCOMPARE(clipboard.contents.first().bytes, QByteArrayLiteral("read"));
        clipboard.read(Inserter::concealedTarget);  // a clipboard history checking the hint
        QVERIFY(outcomes.isEmpty());
        clipboard.read("UTF8_STRING");
        QCOMPARE(outcomes, QList<Uptake>{Uptake::read});

        // Never read: the waiting ends at the bound, and not before.
        outcomes.clear();
        const std::function<void(const QByteArray&)> firstRead = std::exchange(clipboard.read, nullptr);
        inserter.insert(QStringLiteral("unread"), Inserter::Target::field, 0);
        inserter.afterTaken(note);
        firstRead("UTF8_STRING");  // a late read of the earlier text
        clock.advance(Inserter::takenBound - std::chrono::milliseconds(1));
        QVERIFY(outcomes.isEmpty());
        clock.advance(std::chrono::milliseconds(1));
        QCOMPARE(outcomes, QList<Uptake>{Uptake::leftOnClipboard});

        // Unread while the user copied something of their own: the text is no longer there.
        outcomes.clear();
        inserter.insert(QStringLiteral("copied over"), Inserter::Target::field, 0);
        inserter.afterTaken(note);
        clipboard.takenBy(copiedMeanwhile);
        clock.advance(Inserter::takenBound);
        QCOMPARE(outcomes, QList<Uptake>{Uptake::replaced});
        QCOMPARE(clipboard.contents, copiedMeanwhile);

        // The desktop answers late: an answer about an earlier paste ends nothing of the next one.
        outcomes.clear();
        clipboard.holdAnswers = true;
        inserter.insert(QStringLiteral("asked about late"), Inserter::Target::field, 0);
        inserter.afterTaken(note);
        clock.advance(Inserter::takenBound);
        QVERIFY(outcomes.isEmpty());
        inserter.insert(QStringLiteral("pasted next"), Inserter::Target::field, 0);
        inserter.afterTaken(note);
        std::exchange(clipboard.asked, nullptr)();
        QCOMPARE(outcomes, QList<Uptake>{Uptake::replaced});
        clipboard.read("UTF8_STRING");
        QCOMPARE(outcomes, (QList<Uptake>{Uptake::replaced, Uptake::read}));

        // The desktop doesn't answer: past its bound, only what was kept is certain.
        outcomes.clear();
        inserter.insert(QStringLiteral("never asked back"), Inserter::Target::field, 0);
        inserter.afterTaken(note);
        clock.advance(Inserter::takenBound + Inserter::askBound - std::chrono::milliseconds(1));
        QVERIFY(outcomes.isEmpty());
        clock.advance(std::chrono::milliseconds(1));
        QCOMPARE(outcomes, QList<Uptake>{Uptake::replaced});
        std::exchange(clipboard.asked, nullptr)();
        QCOMPARE(outcomes, QList<Uptake>{Uptake::replaced});
        clipboard.holdAnswers = false;

        // A paste that comes first withdraws the unread text.
        outcomes.clear();
        inserter.insert(QStringLiteral("withdrawn"), Inserter::Target::field, 0);
        inserter.afterTaken(note);
        inserter.insert(QStringLiteral("next"), Inserter::Target::field, 0);
        QCOMPARE(outcomes, QList<Uptake>{Uptake::replaced});

        QCOMPARE(inserter.insert(QStringLiteral("secret"), Inserter::Target::password, 0), Inserter::Result::copied);
        inserter.afterTaken(note);
        QCOMPARE(outcomes, (QList<Uptake>{Uptake::replaced, Uptake::read}));
        QCOMPARE(keys.posted.size(), 8);
    }

    void theUsersContentsComeBackOnlyOnceTheTextWasRead()
    {
        Pasting pasting;
        auto& [clock, keys, clipboard, inserter] = pasting;
        const ClipboardContents dictated = Inserter::contentsOf(QStringLiteral("dictated"));

        // An application busy past the restore's time reads the text, not the user's contents.
        inserter.prepare();
        clipboard.saves.first()(users);
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field, 0);
        clock.advance(std::chrono::seconds(2));
        QCOMPARE(clipboard.contents, dictated);
        clipboard.read("UTF8_STRING");
        QCOMPARE(clipboard.contents, users);

        // Never read: the text stays on the clipboard for the user, whoever reads it later.
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field, 0);
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
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field, 0);
        clipboard.read("UTF8_STRING");
        clock.advance(Inserter::restoreDelay);
        QCOMPARE(clipboard.contents, users);

        // Still ours with the user's contents: the next paste needn't read them again.
        inserter.prepare();
        QCOMPARE(clipboard.saves.size(), 1);
        inserter.insert(QStringLiteral("again"), Inserter::Target::field, 0);
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

    void aRestoreGoesBackAsOfThePastesTimeAndSoNeverOverACopyMadeAfterIt()
    {
        for (const bool userCopies : {true, false}) {
            Pasting pasting;
            auto& [clock, keys, clipboard, inserter] = pasting;
            inserter.prepare();
            clipboard.saves.first()(users);
            // The desktop's word on when the paste took the clipboard is still on its way when the
            // application reads and the restore is due.
            clipboard.holdTimes = true;
            inserter.insert(QStringLiteral("dictated"), Inserter::Target::field, 0);
            clipboard.read("UTF8_STRING");
            // The user's copy goes ahead of the restore, its notice behind it.
            if (userCopies)
                clipboard.takenBy(copiedMeanwhile, false);
            clock.advance(Inserter::restoreDelay);
            QCOMPARE(clipboard.contents,
                     userCopies ? copiedMeanwhile : Inserter::contentsOf(QStringLiteral("dictated")));
            clipboard.tellTime();
            QCOMPARE(clipboard.contents, userCopies ? copiedMeanwhile : users);
        }
    }

    void aCopyOfTheTextThatTakesTheClipboardOverKeepsItOnOfferAndTheUsersContentsGoBackOverIt()
    {
        // What the application shows 2 s after the paste, busy until then.
        enum class Shows { nothing, read, handled };
        struct Case {
            const char* name;
            Shows shows;
            bool userCopies;  // the user copies something of their own after the copy
            Inserter::Uptake uptake;
            const ClipboardContents& after;
        };
        const ClipboardContents dictated = Inserter::contentsOf(QStringLiteral("dictated"));
        const Case cases[] = {
            {"read from the copy, unseen, the keys handled", Shows::handled, false, Inserter::Uptake::read, users},
            {"read seen", Shows::read, false, Inserter::Uptake::read, users},
            {"busy past the bound", Shows::nothing, false, Inserter::Uptake::leftOnClipboard, dictated},
            {"the user copies after the copy", Shows::nothing, true, Inserter::Uptake::replaced, copiedMeanwhile},
        };
        for (const Case& c : cases) {
            Pasting pasting;
            auto& [clock, keys, clipboard, inserter] = pasting;
            QList<Inserter::Uptake> outcomes;
            inserter.prepare();
            clipboard.saves.first()(users);
            inserter.insert(QStringLiteral("dictated"), Inserter::Target::field, 42);
            inserter.afterTaken([&](Inserter::Uptake uptake) { outcomes << uptake; });
            const std::function<void(const QByteArray&)> read = clipboard.read;
            clipboard.copiedBy();
            QVERIFY2(clipboard.handledAskedOf == 42, c.name);
            if (c.userCopies)
                clipboard.takenBy(copiedMeanwhile);
            clock.advance(std::chrono::seconds(2));
            // Nothing goes back while the application may still paste.
            QVERIFY2(clipboard.contents == (c.userCopies ? copiedMeanwhile : dictated), c.name);
            if (c.shows == Shows::read)
                read("UTF8_STRING");
            if (c.shows == Shows::handled)
                clipboard.handled();
            clock.advance(Inserter::takenBound - std::chrono::seconds(2));
            QVERIFY2(outcomes == QList<Inserter::Uptake>{c.uptake}, c.name);
            QVERIFY2(clipboard.contents == c.after, c.name);
        }
    }

    void anOwnerThatHasntAnsweredByThePasteCostsItsContentsNotThePaste()
    {
        Pasting pasting;
        auto& [clock, keys, clipboard, inserter] = pasting;

        inserter.prepare();
        QCOMPARE(inserter.insert(QStringLiteral("dictated"), Inserter::Target::field, 0), Inserter::Result::pasted);
        QCOMPARE(keys.posted.size(), 1);
        clipboard.read("UTF8_STRING");
        clock.advance(Inserter::restoreDelay);
        QVERIFY(clipboard.contents.isEmpty());

        // One that changes hands while the dictation runs is read again.
        inserter.prepare();
        clipboard.takenBy(copiedMeanwhile);
        QCOMPARE(clipboard.saves.size(), 3);
        clipboard.saves.last()(copiedMeanwhile);
        inserter.insert(QStringLiteral("dictated"), Inserter::Target::field, 0);
        clipboard.read("UTF8_STRING");
        clock.advance(Inserter::restoreDelay);
        QCOMPARE(clipboard.contents, copiedMeanwhile);
    }
};

QTEST_MAIN(InserterTests)
#include "InserterTests.moc"
