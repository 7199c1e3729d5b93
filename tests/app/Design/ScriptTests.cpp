#include "Script.h"

#include <QTest>

class ScriptTests : public QObject {
    Q_OBJECT

private slots:
    void decidesByLettersAgainstArabicScript_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("persian");

        QTest::newRow("empty") << QString() << false;
        QTest::newRow("digits, spaces and punctuation") << QStringLiteral("12, 34 - 56!") << false;
        QTest::newRow("emoji only") << QStringLiteral("\U0001F600\U0001F389") << false;
        QTest::newRow("English") << QStringLiteral("hello world") << false;
        QTest::newRow("Persian") << QStringLiteral("سلام دنیا") << true;
        // 4 Persian letters and 5 Latin: 9 > 2 × 4.
        QTest::newRow("short Persian, longer English") << QStringLiteral("کتاب hello") << false;
        // 4 Persian letters and 2 Latin: 6 ≤ 8.
        QTest::newRow("short Persian, short English") << QStringLiteral("کتاب ok") << true;
        // Equal lengths: letters = 2 × Arabic exactly.
        QTest::newRow("equal lengths") << QStringLiteral("کتاب book") << true;
        // Persian digits count on the Arabic side without being letters.
        QTest::newRow("Persian digits and one Latin letter") << QStringLiteral("۱۲۳a") << true;
        QTest::newRow("Persian digits alone") << QStringLiteral("۱۲۳") << false;
        // Presentation Forms-B are letters but not counted as Arabic script.
        QTest::newRow("Presentation Forms-B only") << QStringLiteral("\uFEB3\uFEE0\uFE8E\uFEE1") << false;
        // Presentation Forms-A are counted.
        QTest::newRow("Presentation Forms-A") << QStringLiteral("\uFB56\uFB8A") << true;
        // Combining marks count as letters: the Latin word with its marks outweighs the Persian.
        QTest::newRow("Latin with combining marks") << QStringLiteral("ab e\u0301e\u0301e\u0301 کت") << false;
        // Letters outside the Basic Multilingual Plane count once, as scalars: 5 letters > 2 × 2.
        QTest::newRow("scalars, not UTF-16 units") << QStringLiteral("\U0001D400\U0001D401\U0001D402 کت") << false;
    }
    void decidesByLettersAgainstArabicScript()
    {
        QFETCH(QString, text);
        QFETCH(bool, persian);
        QCOMPARE(Script::isPersian(text), persian);
    }
};

QTEST_APPLESS_MAIN(ScriptTests)
#include "ScriptTests.moc"
