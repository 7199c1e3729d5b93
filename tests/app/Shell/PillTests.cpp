// The pill's outcomes are read whole: the longest of each kind, in English and in Persian, wraps
// to the lines it needs inside a pill that grows upwards from its one-line size, on the screen.
#include "Cloud/CloudError.h"
#include "Fonts.h"
#include "Pill/PillController.h"
#include "Sound/AudioInputError.h"

#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <algorithm>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

// The shown text item that reads `message` (after its direction mark).
QQuickItem* lineOf(QQuickItem* face, const QString& message)
{
    const auto items = face->findChildren<QQuickItem*>();
    const auto found = std::find_if(items.begin(), items.end(), [&](QQuickItem* item) {
        return item->isVisible() && item->property("truncated").isValid()
               && item->property("text").toString().mid(1) == message;
    });
    return found == items.end() ? nullptr : *found;
}

}

class PillTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Fonts::registerFonts(); }

    void everyOutcomeIsReadWhole_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("oneLine");
        QTest::newRow("nothing heard") << "Nothing heard" << true;
        QTest::newRow("the microphone stopped, copied")
            << AudioInputError::stopped().description() + " Copied. Paste it where you need it." << false;
        QTest::newRow("the speakers' monitor") << AudioInputError::monitorChosen().description() << false;
        QTest::newRow("a self-signed certificate")
            << CloudError::connection("The certificate is self-signed, and untrusted").description() << false;
        QTest::newRow("a Persian dictation")
            << QStringLiteral("فردا ساعت ده یه meeting با تیم design داریم، می\u200Cخوام roadmap رو مرور کنیم و بعدش "
                              "گزارش هفتگی رو برای سارا بفرستم")
            << false;
        QTest::newRow("a Persian refusal")
            << CloudError::server("quota", QStringLiteral("سهمیهٔ امروز شما تمام شده است؛ فردا دوباره امتحان کنید"))
                   .description()
            << false;
    }
    void everyOutcomeIsReadWhole()
    {
        QFETCH(QString, message);
        QFETCH(bool, oneLine);
        PillController pill;
        pill.showOutcome(PillController::Mode::failed, message);
        QQuickView* window = pill.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QQuickItem* line = lineOf(window->rootObject(), message);
        QVERIFY(line);
        QVERIFY2(!line->property("truncated").toBool(), qPrintable(message));
        const QRectF drawn =
            line->mapRectToScene(QRectF(0, 0, line->width(), line->property("contentHeight").toReal()));
        QVERIFY2(QRectF(QPointF(), window->size()).contains(drawn), qPrintable(QDebug::toString(drawn)));
        QVERIFY(window->screen()->availableGeometry().contains(window->geometry()));
        QCOMPARE(window->width(), 440);
        QCOMPARE(window->height() == 52, oneLine);
    }
};

QTEST_MAIN(PillTests)
#include "PillTests.moc"
