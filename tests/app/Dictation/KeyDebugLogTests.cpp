// The key monitor's debug log on the test desktop: it says what the monitor decided about the
// dictation key, never which other keys the user typed.

#include "FlowHarness.h"
#include "HotkeyMonitor.h"
#include "Keysyms.h"
#include "LogLines.h"
#include "SyntheticKeys.h"
#include "TestSupport.h"
#include "X11/X11RawInput.h"

#include <QRegularExpression>
#include <QTest>

class KeyDebugLogTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        qputenv("QUILLMARSH_LOG", QFile::encodeName(folder_.filePath(QStringLiteral("test.log"))));
    }

    void theLogCannotTellWhichWordWasTyped()
    {
        const QStringList typingHunter2 = logWhileTyping("hunter2");
        const QStringList typingQwerty5 = logWhileTyping("qwerty5");
        QCOMPARE(typingHunter2, typingQwerty5);
        // The log is on, and says what the monitor decided.
        const QString log = typingHunter2.join(u'\n');
        QVERIFY2(log.contains(QStringLiteral("right Ctrl down")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("right Ctrl up after")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("a chord")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("Escape")), qPrintable(log));
    }

private:
    // The monitor's log lines while the word is typed alone, then while the dictation key is
    // held, then Escape; the milliseconds the key was held are left out.
    QStringList logWhileTyping(const char* word)
    {
        const ScopedEnvironment debug("QUILLMARSH_KEY_DEBUG", QStringLiteral("1"));
        SyntheticKeys synthetic;
        X11RawInput input(synthetic);
        if (!input.connected())
            return {QStringLiteral("no X display: run the tests through scripts/test")};
        HotkeyMonitor monitor(input, HotkeyMonitor::Key::fn);
        bool escaped = false;
        monitor.onEscape = [&] { escaped = true; };
        const LogLines log;

        for (const char* letter = word; *letter; ++letter)
            keyboard_.tap(quint32(*letter));
        keyboard_.press(Keysyms::controlRight);
        for (const char* letter = word; *letter; ++letter)
            keyboard_.tap(quint32(*letter));
        keyboard_.release(Keysyms::controlRight);
        keyboard_.tap(Keysyms::escape);
        if (!waitUntil([&] { return escaped; }))
            return {QStringLiteral("the monitor never heard Escape")};
        return log.lines().replaceInStrings(QRegularExpression(QStringLiteral("\\d+ ms")), QStringLiteral("N ms"));
    }

    QTemporaryDir folder_;
    Keyboard keyboard_;
};

QTEST_GUILESS_MAIN(KeyDebugLogTests)
#include "KeyDebugLogTests.moc"
