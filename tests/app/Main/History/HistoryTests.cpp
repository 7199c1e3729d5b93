// The History page's models: changed-word segments and their flow, the day headers, the detail's
// copy and withdrawal, and sharing a recording, against a loopback clip server.
#include "AppFixture.h"
#include "Core/UuidText.h"
#include "Fonts.h"
#include "HistoryFixture.h"
#include "Main/History/ChangedWords.h"
#include "Main/History/DictationDetail.h"
#include "Main/History/HistoryListModel.h"
#include "Main/History/WordFlow.h"
#include "Main/Share/ShareClipSession.h"
#include "Main/Share/ShareClipWindowController.h"
#include "ManualClock.h"
#include "Script.h"
#include "Shell/AppDelegate.h"
#include "Shell/AppInfo.h"
#include "Shell/AppWindows.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QScreen>
#include <QSemaphore>
#include <QTextLayout>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

using namespace std::chrono_literals;

namespace {

// Drawn this many times as large, so that a pixel of smoothing is a small part of what is measured.
constexpr int inkScale = 3;

// Text of one colour on paper of another: where the pen has put most of its colour, and how far
// below a baseline it did so within an area.
struct Ink {
    QRgb paper;
    QRgb pen;

    static int distance(QRgb a, QRgb b)
    {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    }
    qreal depth(const QImage& image, const QRect& area, qreal baseline) const
    {
        int below = 0;  // the row under the lowest with ink
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (distance(image.pixel(x, y), paper) * 2 > distance(pen, paper)) {
                    below = y + 1;
                    break;
                }
            }
        }
        return below - baseline;
    }
};

// The History list's first header of a day before yesterday, once it is drawn.
const QQuickItem* dayHeader(const QQuickItem& historyView)
{
    const auto* list = historyView.findChild<QQuickItem*>(QStringLiteral("list"));
    if (!list)
        return nullptr;
    for (const QQuickItem* item : list->findChildren<QQuickItem*>()) {
        const QString section = item->property("section").toString();
        if (item->isVisible() && Script::isPersian(section) && item->property("text").toString() == section)
            return item;
    }
    return nullptr;
}

// Adds a dictation of now with a kept recording, and gives it.
HistoryEntry addRecorded(const AppModel& model)
{
    const HistoryEntry entry(QUuid::createUuid(), QDateTime::currentDateTime(), QStringLiteral("hello"));
    model.history()->add(entry);
    model.vault().save(TestAudio::noise(0.5), entry.id);
    return entry;
}

}

class HistoryTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void segmentsGroupChangedRuns_data()
    {
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QStringList>("segments");  // changed ones in brackets
        QTest::newRow("seven words") << QString("a x x x x f x") << QString("a b c d e f g")
                                     << QStringList{"a", "[b c d]", "[e]", "f", "[g]"};
        QTest::newRow("run of three") << QString("a z") << QString("a b c d z") << QStringList{"a", "[b c d]", "z"};
        QTest::newRow("run of seven") << QString("") << QString("1 2 3 4 5 6 7")
                                      << QStringList{"[1 2 3]", "[4 5 6]", "[7]"};
        QTest::newRow("case and edges ignored")
            << QString("hello world") << QString("Hello, world.") << QStringList{"Hello,", "world."};
        QTest::newRow("dropped words not shown")
            << QString("one two three") << QString("one three") << QStringList{"one", "three"};
        QTest::newRow("empty") << QString("anything") << QString("") << QStringList{};
    }
    void segmentsGroupChangedRuns()
    {
        QFETCH(QString, spoken);
        QFETCH(QString, inserted);
        QFETCH(QStringList, segments);
        QStringList shown;
        for (const ChangedWords::Segment& segment : ChangedWords::segments(spoken, inserted))
            shown.append(segment.changed ? u'[' + segment.text + u']' : segment.text);
        QCOMPARE(shown, segments);
    }

    void flowBreaksLines()
    {
        const QList<QSizeF> sizes{{40, 10}, {30, 12}, {50, 8}, {400, 10}};
        const WordFlow::Placement placement = WordFlow::place(sizes, 100, 5, 8);
        QCOMPARE(placement.frames, (QList<QRectF>{{0, 0, 40, 10}, {45, 0, 30, 12}, {0, 20, 50, 8}, {0, 36, 400, 10}}));
        QCOMPARE(placement.size, QSizeF(400, 46));
        QCOMPARE(WordFlow::place({}, 100, 5, 8).size, QSizeF(0, 0));
    }

    void dayTitles()
    {
        const QDate today(2026, 12, 7);
        QCOMPARE(HistoryListModel::dayTitle(today, today), "TODAY");
        QCOMPARE(HistoryListModel::dayTitle(today.addDays(-1), today), "YESTERDAY");
        QCOMPARE(HistoryListModel::dayTitle(today.addDays(-2), today), "SATURDAY, DEC 5");
        QCOMPARE(DictationDetail::day(today.addDays(-2), today), "Sat, Dec 5");
    }

    // The list and the detail read a time as Home does, in the C locale too: "5:54 AM".
    void timesReadAsOnHome()
    {
        HistoryFixture fixture;
        const QString id = fixture.property("english").toString();
        const QString homeTime = QLocale(QLocale::English, QLocale::UnitedStates)
                                     .toString(fixture.entry(id).date.toLocalTime().time(), QLocale::ShortFormat);
        QLocale::setDefault(QLocale::c());
        HistoryListModel list;
        list.setAppModel(fixture.appModel());
        DictationDetail detail;
        detail.setAppModel(fixture.appModel());
        detail.setEntryId(id);
        const QString listTime = list.data(list.index(0), HistoryListModel::TimeRole).toString();
        const QString details = detail.details();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(listTime, homeTime);
        QVERIFY2(details.contains(", " + homeTime + "\u2069 \u00b7 "), qPrintable(details));
    }

    // The details line reads left to right in any locale: the day and time keep their own direction
    // in an isolate, and the count, in the locale's digits, stays before its word.
    void detailsKeepTheCountBeforeItsWord_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("persianDay");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << "\u2069 \u00b7 3 words" << false;
        // Persian digits have a dot for zero: a dash parts the time from the count.
        QTest::newRow("fa_IR") << QLocale(QLocale::Persian, QLocale::Iran) << "\u2069 \u2013 \u06f3 words" << true;
    }

    void detailsKeepTheCountBeforeItsWord()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, ending);
        QFETCH(bool, persianDay);
        HistoryFixture fixture;
        QLocale::setDefault(locale);
        DictationDetail detail;
        detail.setAppModel(fixture.appModel());
        detail.setEntryId(fixture.property("shared").toString());
        const QString details = detail.details();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(details.startsWith(QChar(0x2068)) && details.endsWith(ending), qPrintable(details));
        const QString when = details.mid(1, details.size() - ending.size() - 1);
        QVERIFY2(!when.contains(QChar(0x2069)) && !when.contains(QChar(0x2068)), qPrintable(details));
        QCOMPARE(Script::isPersian(when), persianDay);
    }

    // Under a Persian locale an older day's header reads in Persian, and what its letters put below
    // the line (the tails of ر and ی, the dots of ب and ی) is drawn whole within the header's own
    // box: as deep as the same text drawn freely in the header's font, not cut off on the way.
    void persianDayHeadersAreDrawnWhole()
    {
        Fonts::registerFonts();
        QLocale::setDefault(QLocale(QLocale::Persian, QLocale::Iran));
        HistoryFixture fixture;
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent page(&engine);
        page.setData("import Quillmarsh.App\nHistoryView { width: 1100; height: 800 }", QUrl());
        QQuickWindow window;
        window.resize(1100 * inkScale, 800 * inkScale);
        std::unique_ptr<QQuickItem> view(qobject_cast<QQuickItem*>(page.create()));
        QVERIFY2(view, qPrintable(page.errorString()));
        view->setProperty("model", QVariant::fromValue(fixture.appModel()));
        view->setTransformOrigin(QQuickItem::TopLeft);
        view->setScale(inkScale);
        view->setParentItem(window.contentItem());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(waitUntil([&] { return dayHeader(*view) != nullptr; }));
        const QImage shown = window.grabWindow().convertToFormat(QImage::Format_RGB32);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

        const QQuickItem& header = *dayHeader(*view);
        const QString text = header.property("text").toString();
        const QRect box = header.mapRectToScene(QRectF(0, 0, header.width(), header.height())).toAlignedRect();
        const Ink ink{shown.pixel(box.topLeft()), header.property("color").value<QColor>().rgb()};
        const qreal drawn = ink.depth(shown, box, header.mapToScene(QPointF(0, header.baselineOffset())).y());

        QTextLayout layout(text, header.property("font").value<QFont>());
        QTextOption rightToLeft;
        rightToLeft.setTextDirection(Qt::RightToLeft);
        layout.setTextOption(rightToLeft);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const QRect free(0, 0, qCeil(line.naturalTextWidth() + 8) * inkScale, qCeil(line.height() * 2) * inkScale);
        QImage alone(free.size(), QImage::Format_RGB32);
        alone.fill(ink.paper);
        QPainter painter(&alone);
        painter.setPen(QColor(ink.pen));
        painter.scale(inkScale, inkScale);
        layout.draw(&painter, QPointF(4, 4));
        painter.end();
        const qreal whole = ink.depth(alone, free, (4 + line.ascent()) * inkScale);

        // The text reaches below its line at all, or there would be nothing to cut.
        QVERIFY2(whole > 0.1 * line.height() * inkScale, qPrintable(text));
        QVERIFY2(std::abs(drawn - whole) <= 1.5,
                 qPrintable(QStringLiteral("%1: ink ends %2 px below the baseline, drawn alone %3 px")
                                .arg(text)
                                .arg(drawn)
                                .arg(whole)));
    }

    void copyConfirmsForItsOwnTime()
    {
        HistoryFixture fixture;
        ManualClock clock;
        DictationDetail detail;
        detail.setClock(clock);
        detail.setAppModel(fixture.appModel());
        detail.setEntryId(fixture.property("english").toString());
        detail.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), "Please send me the final report by Friday.");
        QVERIFY(detail.copied());
        clock.advance(1000ms);
        detail.setShowSpoken(true);
        detail.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), "send me the report by friday i guess");
        clock.advance(600ms);  // the first copy's reset, though the second is younger
        QVERIFY(!detail.copied());
        detail.copy();
        detail.setEntryId(fixture.property("persian").toString());
        QVERIFY(!detail.copied());
        QVERIFY(!detail.showSpoken());
    }

    void withdrawalClearsTheCodeOrSaysWhy_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("problem");
        QTest::newRow("deleted") << 204 << "";
        QTest::newRow("already gone") << 404 << "";
        QTest::newRow("unavailable") << 503 << "Sharing isn\u2019t available right now. Please try again later.";
    }
    void withdrawalClearsTheCodeOrSaysWhy()
    {
        QFETCH(int, status);
        QFETCH(QString, problem);
        HistoryFixture fixture;
        const QString shared = fixture.property("shared").toString();
        fixture.answerWithdrawals(status);
        DictationDetail detail;
        detail.setAppModel(fixture.appModel());
        detail.setEntryId(shared);
        detail.removeShared();
        QVERIFY(detail.removing());
        QVERIFY(waitUntil([&] { return !detail.removing(); }));
        QCOMPARE(detail.removeProblem(), problem);
        QCOMPARE(fixture.storedCode(shared), problem.isEmpty() ? "none" : "QM-7K2F");
        QCOMPARE(detail.panel(), problem.isEmpty() ? "off" : "shared");
    }

    void withdrawalBelongsToItsEntry()
    {
        HistoryFixture fixture;
        const QString shared = fixture.property("shared").toString();
        fixture.answerWithdrawals(503, {}, 300);
        DictationDetail detail;
        detail.setAppModel(fixture.appModel());
        detail.setEntryId(shared);
        detail.removeShared();
        detail.setEntryId(fixture.property("english").toString());
        QVERIFY(!detail.removing());
        QVERIFY(waitUntil([&] { return fixture.server().requests().size() == 1; }));
        detail.setEntryId(shared);
        QVERIFY(detail.removing());
        QVERIFY(waitUntil([&] { return !detail.removing(); }));
        QVERIFY(!detail.removeProblem().isEmpty());

        fixture.answerWithdrawals(204, {}, 300);
        detail.removeShared();
        detail.setEntryId(fixture.property("english").toString());
        QVERIFY(waitUntil([&] { return fixture.storedCode(shared) == "none"; }));
        QCOMPARE(fixture.entry(fixture.property("english").toString()).clipCode, std::nullopt);
    }

    void withdrawalWithoutServer()
    {
        HistoryFixture fixture;
        fixture.forgetServer();
        DictationDetail detail;
        detail.setAppModel(fixture.appModel());
        detail.setEntryId(fixture.property("shared").toString());
        detail.removeShared();
        QVERIFY(!detail.removing());
        QCOMPARE(detail.removeProblem(),
                 "The Quillmarsh server isn\u2019t set up on this computer, so it can\u2019t be reached.");
        QCOMPARE(fixture.server().requests().size(), 0);
    }

    void sendNeedsConsentAndText()
    {
        HistoryFixture fixture;
        ShareClipSession session(fixture.entry(fixture.property("persian").toString()), *fixture.appModel());
        QCOMPARE(session.said(), session.heard());
        QVERIFY(!session.canSend());
        session.setAgreed(true);
        QVERIFY(session.canSend());
        session.setSaid(" \n\t ");
        QVERIFY(!session.canSend());
        session.send();
        QCOMPARE(session.phase(), "editing");
    }

    void sendReportsEveryFailure_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("failure");
        QTest::newRow("unavailable") << 503 << ""
                                     << "Sharing isn\u2019t available right now. Please try again later.";
        QTest::newRow("too long") << 400 << R"({"error":"too_long"})"
                                  << "That recording is too long to share.";
        QTest::newRow("other") << 400 << R"({"error":"odd"})"
                               << "The server didn\u2019t accept that clip (odd).";
        QTest::newRow("created without a code") << 201 << "{}"
                                                << "The server didn\u2019t accept that clip (error).";
    }
    void sendReportsEveryFailure()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(QString, failure);
        HistoryFixture fixture;
        fixture.answerUploads(status, body);
        const QString persian = fixture.property("persian").toString();
        ShareClipSession session(fixture.entry(persian), *fixture.appModel());
        session.setAgreed(true);
        session.setSaid(QStringLiteral("سلام خوبی امروز میام"));
        session.send();
        QCOMPARE(session.phase(), "sending");
        QVERIFY(!session.canSend());
        QVERIFY(waitUntil([&] { return session.phase() != "sending"; }));
        QCOMPARE(session.phase(), "failed");
        QCOMPARE(session.failure(), failure);
        QVERIFY(session.canSend());
        QCOMPARE(fixture.storedCode(persian), "none");
    }

    void sendFailsBeforeUploading()
    {
        HistoryFixture fixture;
        const HistoryEntry entry = fixture.entry(fixture.property("persian").toString());
        ShareClipSession missing(entry, *fixture.appModel());
        missing.setAgreed(true);
        fixture.vault().remove(entry.id);
        missing.send();
        QCOMPARE(missing.failure(), "The recording is no longer on this computer.");

        fixture.forgetServer();
        ShareClipSession noServer(entry, *fixture.appModel());
        noServer.setAgreed(true);
        noServer.send();
        QCOMPARE(noServer.failure(), "Sharing needs the Quillmarsh server, which isn\u2019t set up on this computer.");
        QCOMPARE(fixture.server().requests().size(), 0);
    }

    void sentCodeReachesHistoryAfterTheWindowCloses()
    {
        HistoryFixture fixture;
        fixture.answerUploads(201, R"({"code":"QM-22XY"})", 300);
        const QString persian = fixture.property("persian").toString();
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        auto* controller = new ShareClipWindowController(fixture.entry(persian), *fixture.appModel(), engine);
        int closes = 0;
        controller->onClose = [&] {
            ++closes;
            controller->deleteLater();
        };
        QVERIFY(controller->window()->rootObject());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(controller->window()->width(), 600);
        QVERIFY(controller->window()->height() >= std::min(420, screen.height()));
        QVERIFY(controller->window()->height() <= screen.height());
        controller->show();
        // Taller than the screen: capped to it, the content scrolling.
        controller->session()->setShowDetails(true);
        QVERIFY(waitUntil([&] { return controller->window()->rootObject()->implicitHeight() > screen.height(); }));
        QCOMPARE(controller->window()->height(), screen.height());

        QPointer<ShareClipSession> session = controller->session();
        session->setSaid(QStringLiteral("سلام خوبی امروز میام دفتر"));
        session->setAgreed(true);
        session->send();
        controller->window()->close();
        QCOMPARE(closes, 1);
        QVERIFY(waitUntil([&] { return !session; }));
        QVERIFY(waitUntil([&] { return fixture.storedCode(persian) == "QM-22XY"; }));

        const QJsonObject sent = QJsonDocument::fromJson(fixture.server().requests().first().body).object();
        QCOMPARE(sent.value("heard").toString(), fixture.entry(persian).raw);
        QCOMPARE(sent.value("said").toString(), "سلام خوبی امروز میام دفتر");
        QCOMPARE(sent.value("language").toString(), "fa-IR");
        QCOMPARE("Quillmarsh " + sent.value("app_version").toString(), AppInfo::versionText());
        QCOMPARE(QByteArray::fromBase64(sent.value("audio").toString().toLatin1()),
                 fixture.vault().data(fixture.entry(persian).id));
    }

    // The window opens on its first control; Tab visits the others in reading order and comes
    // round again; Space ticks the consent, which lets the clip be sent; Escape closes the window.
    void shareWindowByKeyboard()
    {
        HistoryFixture fixture;
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        ShareClipWindowController controller(fixture.entry(fixture.property("persian").toString()), *fixture.appModel(),
                                             engine);
        int closes = 0;
        controller.onClose = [&] { ++closes; };
        QQuickView* window = controller.window();
        controller.show();
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const auto tour = [&] {
            QStringList names;
            for (int i = 0; i < 20; ++i) {
                QTest::keyClick(window, Qt::Key_Tab);
                const QString name = window->activeFocusItem() ? window->activeFocusItem()->objectName() : QString();
                if (!names.isEmpty() && name == names.first())
                    break;
                names.append(name);
            }
            return names;
        };
        // The window opens on its first control, showing its ring.
        QVERIFY(
            waitUntil([&] { return window->activeFocusItem() && window->activeFocusItem()->objectName() == "play"; }));
        QVERIFY(window->activeFocusItem()->property("visualFocus").toBool());
        QCOMPARE(tour(), (QStringList{"said", "consent", "detailsSwitch", "cancel", "play"}));
        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(window->activeFocusItem()->objectName(), "consent");
        QTest::keyClick(window, Qt::Key_Space);
        QVERIFY(controller.session()->agreed());
        QCOMPARE(tour(), (QStringList{"detailsSwitch", "cancel", "send", "play", "said", "consent"}));
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(closes, 1);
    }

    // Sent from the keyboard, the clip's button waits as "Sending…" while the keyboard rests on a
    // control in view; after a failure the button has it back, with its ring, and Return sends again.
    void shareWindowKeepsTheFocusThroughSending()
    {
        // Before the server, which may still be answering when the test ends.
        QSemaphore answer;
        HistoryFixture fixture;
        fixture.server().route("POST", "/v1/clips", [&answer](const HttpRequest&) {
            // A check that fails before the release ends the test, and the server with it: the
            // answer waits no longer than the test's own waits.
            answer.tryAcquire(1, 20'000);
            return HttpResponse::json(500, "{}");
        });
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        ShareClipWindowController controller(fixture.entry(fixture.property("persian").toString()), *fixture.appModel(),
                                             engine);
        QQuickView* window = controller.window();
        controller.show();
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        controller.session()->setAgreed(true);
        const auto focus = [&] { return window->activeFocusItem(); };
        auto* send = window->rootObject()->findChild<QQuickItem*>(QStringLiteral("send"));
        send->forceActiveFocus(Qt::TabFocusReason);

        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(controller.session()->phase(), "sending");
        QVERIFY(waitUntil([&] { return focus() && focus() != send && focus()->isVisible(); }));
        QCOMPARE(focus()->objectName(), "cancel");
        QVERIFY(focus()->property("visualFocus").toBool());

        answer.release();
        QVERIFY(waitUntil([&] { return controller.session()->phase() == "failed"; }));
        QVERIFY(waitUntil([&] { return focus() == send; }));
        QVERIFY(send->property("visualFocus").toBool());
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(controller.session()->phase(), "sending");
        answer.release();
        QVERIFY(waitUntil([&] { return controller.session()->phase() == "failed"; }));
    }

    void applicationKeepsOneShareWindow()
    {
        AppFixture app;
        AppDelegate& delegate = app.delegate();
        const HistoryEntry entry = addRecorded(delegate.model());
        delegate.model().actions()->shareClip(uuidText(entry.id));
        QPointer<QQuickWindow> first = delegate.windows().share();
        QVERIFY(first && first->isVisible());
        delegate.windows().showShare(entry.id);
        QVERIFY(delegate.windows().share() && delegate.windows().share() != first);
        QVERIFY(waitUntil([&] { return !first; }));
        delegate.windows().share()->close();
        QCOMPARE(delegate.windows().share(), nullptr);
    }

    // Opened from the keyboard, the share window gives the focus back to "Share clip…" when it
    // closes, with its ring, and Return opens it again.
    void shareButtonHasTheFocusBackWhenTheWindowCloses()
    {
        AppFixture app;
        AppDelegate& delegate = app.delegate();
        addRecorded(delegate.model());
        delegate.windows().showMain(MainSection::history);
        QQuickWindow* main = delegate.windows().main();
        QVERIFY(QTest::qWaitForWindowActive(main));
        const auto focusName = [&] {
            return main->activeFocusItem() ? main->activeFocusItem()->objectName() : QString();
        };
        for (int i = 0; i < 40 && focusName() != "panelButton"; ++i)
            QTest::keyClick(main, Qt::Key_Tab);
        QCOMPARE(focusName(), "panelButton");
        QTest::keyClick(main, Qt::Key_Return);
        QPointer<QQuickWindow> share = delegate.windows().share();
        QVERIFY(share);
        QVERIFY(QTest::qWaitForWindowActive(share));
        QTest::keyClick(share, Qt::Key_Escape);
        QVERIFY(waitUntil([&] { return !share; }));
        // As the desktop's window manager does when a window closes.
        main->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QCOMPARE(focusName(), "panelButton");
        QVERIFY(main->activeFocusItem()->property("visualFocus").toBool());
        QTest::keyClick(main, Qt::Key_Return);
        QVERIFY(delegate.windows().share());
    }

    void sentViewOffersTheCode()
    {
        HistoryFixture fixture;
        fixture.answerUploads(201, R"({"code":"QM-22XY"})");
        ManualClock clock;
        ShareClipSession session(fixture.entry(fixture.property("persian").toString()), *fixture.appModel());
        session.setClock(clock);
        session.setAgreed(true);
        session.send();
        QVERIFY(waitUntil([&] { return session.phase() == "sent"; }));
        QCOMPARE(session.code(), "QM-22XY");
        session.copyCode();
        QCOMPARE(QGuiApplication::clipboard()->text(), "QM-22XY");
        clock.advance(1900ms);
        QVERIFY(session.copied());
        clock.advance(100ms);
        QVERIFY(!session.copied());
    }
};

QTEST_MAIN(HistoryTests)
#include "HistoryTests.moc"
