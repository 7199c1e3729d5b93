// Every text a window shows reaches a screen reader, and every control is heard for what it is:
// each window and page of the pictures, with their sample records, is walked through its
// accessible tree as an assistive technology sees it.
#include "AppFixture.h"
#include "Fonts.h"
#include "History/HistoryStore.h"
#include "Main/AppModel.h"
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

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

// What a reader says of a text: its words, without direction marks and runs of blanks.
QString spoken(QString text)
{
    static const QRegularExpression marks(QStringLiteral("[\\x{200e}\\x{200f}\\x{061c}\\x{2066}-\\x{2069}]"));
    return text.remove(marks).simplified();
}

// What the user presses or types into.
bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::ComboBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::Link:
        return true;
    default:
        return false;
    }
}

// A window's accessible tree as a reader meets it: what it can say of each item, and what it
// would say wrong.
struct Walk {
    QHash<QObject*, QString> heard;
    // Unnamed controls and dialogs, and names said twice over within one control.
    QStringList faults;
    // The controls' names, in the order of the tree.
    QStringList controls;
    // Every item's name and role.
    QList<std::pair<QString, QAccessible::Role>> roles;
    // What the fields say beside their names.
    QStringList fieldDescriptions;
    // Every item with its place on the screen, in the order of the tree.
    QList<std::pair<QObject*, QRect>> places;

    // `control`: the name of the nearest control the node lies in, or nothing.
    void visit(QAccessibleInterface* node, const std::optional<QString>& control = std::nullopt, int depth = 0)
    {
        // What is not shown is not said.
        if (!node || depth > 200 || node->state().invisible)
            return;
        const QString name = spoken(node->text(QAccessible::Name));
        const QAccessible::Role role = node->role();
        if (QObject* object = node->object())
            heard.insert(object, name + QLatin1Char('\n') + spoken(node->text(QAccessible::Description))
                                     + QLatin1Char('\n') + spoken(node->text(QAccessible::Value)));
        if ((isControl(role) || role == QAccessible::Dialog) && name.isEmpty())
            faults << QStringLiteral("unnamed %1 (%2)")
                          .arg(role)
                          .arg(node->object() ? node->object()->metaObject()->className() : "");
        if (control && !name.isEmpty() && control->contains(name))
            faults << QStringLiteral("\"%1\" said again inside \"%2\"").arg(name, *control);
        if (isControl(role))
            controls << name;
        roles.append({name, role});
        places.append({node->object(), node->rect()});
        if (role == QAccessible::EditableText)
            fieldDescriptions << spoken(node->text(QAccessible::Description));
        for (int index = 0; index < node->childCount(); ++index)
            visit(node->child(index), isControl(role) ? std::optional(name) : control, depth + 1);
    }
};

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

// The object of that name held by an item of the tree under `item`.
QObject* findHeld(QQuickItem* item, const QString& name)
{
    if (QObject* found = item->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return found;
    for (QQuickItem* child : item->childItems()) {
        if (QObject* found = findHeld(child, name))
            return found;
    }
    return nullptr;
}

Walk walked(QQuickWindow* window)
{
    Walk walk;
    walk.visit(QAccessible::queryAccessibleInterface(window));
    return walk;
}

// Every window and page of the pictures, one row each.
void addEveryPicture()
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

class HeardTextsTests : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { fixture_.reset(); }

    void initTestCase()
    {
        Fonts::registerFonts();
        DesktopPermissions::replaceSystem(&desktop_);
        // As when a screen reader runs.
        QAccessible::setActive(true);
    }

    // Every visible text is said, by itself or by the control it lies in. Each control and dialog
    // has a name of its own, said once: no label inside a control says it again, and no two
    // controls of a window share one (a choice is named with its group).
    void everyTextAndControlIsHeardOnce_data() { addEveryPicture(); }
    void everyTextAndControlIsHeardOnce()
    {
        QFETCH(QString, window);
        QFETCH(QString, page);
        QQuickWindow* shown = open(window, page);
        QVERIFY(shown);
        const Walk walk = walked(shown);

        QStringList found;
        unheard(shown->contentItem(), walk.heard, found);
        QVERIFY2(found.isEmpty(), qPrintable("not heard: " + found.join(QStringLiteral(" | "))));
        QVERIFY2(walk.faults.isEmpty(), qPrintable(walk.faults.join(QStringLiteral(" | "))));
        QStringList shared;
        for (const QString& name : walk.controls) {
            if (walk.controls.count(name) > 1 && !shared.contains(name))
                shared << name;
        }
        QVERIFY2(shared.isEmpty(), qPrintable("said of several controls: " + shared.join(QStringLiteral(" | "))));
    }

    // A reader going through a list in order hears it top to bottom, as it is shown: a day's
    // heading before its dictations.
    void listsAreHeardInTheOrderShown_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("added");  // a dictation kept while the page shows
        QTest::newRow("history") << "history"
                                 << "list"
                                 << "TODAY, " << QString();
        QTest::newRow("history given a dictation") << "history"
                                                   << "list"
                                                   << "TODAY, Unknown app" << QStringLiteral("Just now");
    }
    void listsAreHeardInTheOrderShown()
    {
        QFETCH(QString, page);
        QFETCH(QString, list);
        QFETCH(QString, first);
        QFETCH(QString, added);
        QQuickWindow* shown = open(QStringLiteral("main"), page);
        QVERIFY(shown);
        const auto* view = qobject_cast<QQuickItem*>(findHeld(shown->contentItem(), list));
        QVERIFY(view);
        if (!added.isEmpty()) {
            const int rows = view->property("count").toInt();
            fixture_->delegate().model().history()->add(
                HistoryEntry(QUuid::createUuid(), QDateTime::currentDateTime(), added));
            QTRY_COMPARE(view->property("count").toInt(), rows + 1);
            QVERIFY(!shown->grabWindow().isNull());
        }
        const QQuickItem* content = view->property("contentItem").value<QQuickItem*>();
        const Walk walk = walked(shown);
        QStringList heard;
        int lastTop = std::numeric_limits<int>::min();
        bool inOrder = true;
        for (const auto& [object, place] : walk.places) {
            const auto* item = qobject_cast<QQuickItem*>(object);
            if (!item || item->parentItem() != content)
                continue;
            heard << QStringLiteral("%1 at %2")
                         .arg(walk.heard.value(object).section(QLatin1Char('\n'), 0, 0))
                         .arg(place.top());
            inOrder = inOrder && place.top() >= lastTop;
            lastTop = place.top();
        }
        QVERIFY(heard.size() > 2);
        QVERIFY2(inOrder && heard.first().startsWith(first), qPrintable(heard.join(QStringLiteral(" | "))));
    }

    // A dialog is heard by its question or title.
    void dialogsAreNamedByTheirQuestion_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("name");
        QTest::newRow("a deletion") << "history"
                                    << "confirmClear"
                                    << "Delete all your history?";
        QTest::newRow("the application picker") << "styles-picker"
                                                << ""
                                                << "Choose an app that is open";
    }
    void dialogsAreNamedByTheirQuestion()
    {
        QFETCH(QString, page);
        QFETCH(QString, dialog);
        QFETCH(QString, name);
        QQuickWindow* shown = open(QStringLiteral("main"), page);
        QVERIFY(shown);
        if (!dialog.isEmpty()) {
            QObject* popup = findHeld(shown->contentItem(), dialog);
            QVERIFY(popup);
            QMetaObject::invokeMethod(popup, "open");
            QTRY_VERIFY(popup->property("opened").toBool());
        }
        QVERIFY2(walked(shown).roles.contains(std::pair(name, QAccessible::Dialog)), qPrintable(name));
    }

    // An empty field's placeholder is said with the field, not as a text beside it.
    void placeholdersAreSaidWithTheirFields_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("placeholder");
        QTest::newRow("vocabulary") << "vocabulary"
                                    << "Add a word or phrase";
        QTest::newRow("e-mail") << "account"
                                << "you@example.com";
    }
    void placeholdersAreSaidWithTheirFields()
    {
        QFETCH(QString, page);
        QFETCH(QString, placeholder);
        QQuickWindow* shown = open(QStringLiteral("main"), page);
        QVERIFY(shown);
        const Walk walk = walked(shown);
        QVERIFY(walk.fieldDescriptions.contains(placeholder));
        QVERIFY(!walk.roles.contains(std::pair(placeholder, QAccessible::StaticText)));
    }

    // The acknowledgements take no keys of their own: they open on their named text.
    void theAcknowledgementsOpenOnSomethingNamed()
    {
        QQuickWindow* shown = open(QStringLiteral("acknowledgements"), QStringLiteral("all"));
        QVERIFY(shown);
        shown->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(shown->activeFocusItem());
        QVERIFY(focused);
        QCOMPARE(focused->text(QAccessible::Name), QStringLiteral("Acknowledgements"));
    }

    // A control that says what it is (a tick, a menu of choices) is heard as that.
    void declaredRolesReachTheBus_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::newRow("consent tick") << "share"
                                      << "" << QStringLiteral("I\u2019m happy for Quillmarsh")
                                      << int(QAccessible::CheckBox);
        QTest::newRow("switch") << "main"
                                << "settings"
                                << "Improve after inserting" << int(QAccessible::CheckBox);
        QTest::newRow("retention menu") << "main"
                                        << "settings"
                                        << "Keep it for" << int(QAccessible::ComboBox);
    }
    void declaredRolesReachTheBus()
    {
        QFETCH(QString, window);
        QFETCH(QString, page);
        QFETCH(QString, control);
        QFETCH(int, role);
        QQuickWindow* shown = open(window, page);
        QVERIFY(shown);
        const Walk walk = walked(shown);
        const auto found = std::find_if(walk.roles.begin(), walk.roles.end(), [&](const auto& named) {
            return named.first.startsWith(control) && named.second != QAccessible::StaticText;
        });
        QVERIFY2(found != walk.roles.end(), qPrintable(control));
        QCOMPARE(int(found->second), role);
    }

private:
    // The window on the page, drawn with the sample records, or nothing.
    QQuickWindow* open(const QString& window, const QString& page)
    {
        const QDateTime now = QDateTime::currentDateTime();
        fixture_.reset();
        fixture_ = std::make_unique<AppFixture>(
            [now](Settings& settings) { SeedData::write(settings, now, SeedData::Sample::usual); });
        SeedData::setRunningState(fixture_->delegate().model(), SeedData::Sample::usual);
        QQuickWindow* shown = findScreenshotTarget(window)->open(fixture_->delegate(), page, {});
        if (!shown || !QTest::qWaitForWindowExposed(shown))
            return nullptr;
        // Drawing it lays out everything it shows.
        return shown->grabWindow().isNull() ? nullptr : shown;
    }

    SampleDesktop desktop_;
    std::unique_ptr<AppFixture> fixture_;
};

QTEST_MAIN(HeardTextsTests)
#include "HeardTextsTests.moc"
