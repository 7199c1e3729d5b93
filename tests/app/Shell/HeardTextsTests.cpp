// Every text a window shows reaches a screen reader: each window and page of the pictures, with
// their sample records, is walked through its accessible tree as an assistive technology sees it.
#include "AppFixture.h"
#include "Fonts.h"
#include "SampleDesktop.h"
#include "ScreenshotTargets.h"
#include "SeedData.h"
#include "Shell/AppDelegate.h"

#include <QAccessible>
#include <QHash>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

// What a reader says of a text: its words, without direction marks and runs of blanks.
QString spoken(QString text)
{
    static const QRegularExpression marks(QStringLiteral("[\\x{200e}\\x{200f}\\x{061c}\\x{2066}-\\x{2069}]"));
    return text.remove(marks).simplified();
}

// The items on the window's accessible tree, each with everything a reader can say of it.
void walk(QAccessibleInterface* node, QHash<QObject*, QString>& heard, int depth = 0)
{
    if (!node || depth > 200)
        return;
    if (QObject* object = node->object())
        heard.insert(object,
                     spoken(node->text(QAccessible::Name) + QLatin1Char('\n') + node->text(QAccessible::Description)
                            + QLatin1Char('\n') + node->text(QAccessible::Value)));
    for (int index = 0; index < node->childCount(); ++index)
        walk(node->child(index), heard, depth + 1);
}

// Whether the item was hidden from readers on purpose (a drawing whose words are said elsewhere).
bool ignoredOnPurpose(const QQuickItem* item)
{
    for (; item; item = item->parentItem()) {
        for (const QObject* child : item->children()) {
            if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0
                && child->property("ignored").toBool())
                return true;
        }
    }
    return false;
}

bool isText(const QQuickItem* item)
{
    return item->inherits("QQuickText") || item->inherits("QQuickTextEdit");
}

// The visible texts under `item` that no accessible object says: neither the text's own nor that
// of the nearest item on the tree above it (a button reading its label).
void unheard(const QQuickItem* item, const QHash<QObject*, QString>& heard, QStringList& found)
{
    for (QQuickItem* child : item->childItems()) {
        if (!child->isVisible() || child->opacity() == 0)
            continue;
        const QString words = isText(child) ? spoken(child->property("text").toString()) : QString();
        if (!words.isEmpty() && !ignoredOnPurpose(child)) {
            const QQuickItem* speaker = child;
            while (speaker && !heard.contains(const_cast<QQuickItem*>(speaker)))
                speaker = speaker->parentItem();
            if (!speaker || !heard.value(const_cast<QQuickItem*>(speaker)).contains(words))
                found << words;
        }
        unheard(child, heard, found);
    }
}

}

class HeardTextsTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Fonts::registerFonts();
        DesktopPermissions::replaceSystem(&desktop_);
        // As when a screen reader runs.
        QAccessible::setActive(true);
    }

    void everyVisibleTextIsHeard_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("page");
        for (const ScreenshotTarget& target : screenshotTargets()) {
            for (const QString& page : QString::fromLatin1(target.pages).split(QLatin1Char('|'))) {
                const QString row = QLatin1String(target.window) + (page.isEmpty() ? QString() : "/" + page);
                QTest::newRow(qPrintable(row)) << QString::fromLatin1(target.window) << page;
            }
        }
    }

    void everyVisibleTextIsHeard()
    {
        QFETCH(QString, window);
        QFETCH(QString, page);
        const QDateTime now = QDateTime::currentDateTime();
        AppFixture fixture([now](Settings& settings) { SeedData::write(settings, now, SeedData::Sample::usual); });
        SeedData::setRunningState(fixture.delegate().model(), SeedData::Sample::usual);
        QQuickWindow* shown = findScreenshotTarget(window)->open(fixture.delegate(), page, {});
        QVERIFY(shown);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        // Drawing it lays out everything it shows.
        QVERIFY(!shown->grabWindow().isNull());

        QHash<QObject*, QString> heard;
        walk(QAccessible::queryAccessibleInterface(shown), heard);
        QStringList found;
        unheard(shown->contentItem(), heard, found);
        QVERIFY2(found.isEmpty(), qPrintable("not heard: " + found.join(QStringLiteral(" | "))));
    }

private:
    SampleDesktop desktop_;
};

QTEST_MAIN(HeardTextsTests)
#include "HeardTextsTests.moc"
