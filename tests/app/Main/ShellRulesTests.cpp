// The main window's placement and the account row's badge.
#include "Main/AccountBadge.h"
#include "Main/WindowFrame.h"

#include <QTest>

class ShellRulesTests : public QObject {
    Q_OBJECT

private slots:
    void contentHeight_data()
    {
        QTest::addColumn<int>("available");
        QTest::addColumn<int>("expected");
        QTest::newRow("roomy screen") << 900 << 810;
        QTest::newRow("small screen") << 800 << 776;
        QTest::newRow("no screen") << -1 << 810;
    }
    void contentHeight()
    {
        QFETCH(int, available);
        QFETCH(int, expected);
        QCOMPARE(WindowFrame::contentHeight(available < 0 ? std::nullopt : std::optional(available)), expected);
    }

    void fitted_data()
    {
        const QRect left(0, 0, 1920, 1050);
        const QRect right(1920, 0, 1280, 760);
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("on screen stays") << QRect(100, 80, 1120, 810) << QList{left, right}
                                         << QRect(100, 80, 1120, 810);
        QTest::newRow("unplugged monitor: onto the main screen")
            << QRect(3500, 200, 1120, 810) << QList{left} << QRect(800, 200, 1120, 810);
        QTest::newRow("too tall for its screen: capped and moved up")
            << QRect(2000, 100, 1120, 1000) << QList{left, right} << QRect(2000, 24, 1120, 736);
        QTest::newRow("hangs over the edge") << QRect(-300, 500, 1120, 810) << QList{left} << QRect(0, 240, 1120, 810);
        QTest::newRow("no screens: unchanged")
            << QRect(5000, 0, 1120, 810) << QList<QRect>{} << QRect(5000, 0, 1120, 810);
    }
    void fitted()
    {
        QFETCH(QRect, saved);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, expected);
        QCOMPARE(WindowFrame::fitted(saved, screens), expected);
    }

    void avatarLetter_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("letter");
        QTest::newRow("lower-case name") << "sara"
                                         << "x@example.com"
                                         << "S";
        QTest::newRow("no name: the e-mail") << ""
                                             << "nima@example.com"
                                             << "N";
        QTest::newRow("neither") << ""
                                 << ""
                                 << "?";
        QTest::newRow("Persian name unchanged") << "سارا"
                                                << ""
                                                << "س";
        QTest::newRow("a letter with its mark stays whole") << "e\u0301mile"
                                                            << ""
                                                            << "E\u0301";
    }
    void avatarLetter()
    {
        QFETCH(QString, displayName);
        QFETCH(QString, email);
        QFETCH(QString, letter);
        QCOMPARE(AccountBadge::letter(displayName, email), letter);
    }
};

QTEST_GUILESS_MAIN(ShellRulesTests)
#include "ShellRulesTests.moc"
