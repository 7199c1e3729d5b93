// Renders the History page or the share window offscreen with the seeded history, into a PNG:
// `history-screenshot history FILE` or `history-screenshot share FILE`.
#include "Fonts.h"
#include "HistoryFixture.h"
#include "Main/ShareClipWindowController.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3 || (arguments.at(1) != "history" && arguments.at(1) != "share")) {
        std::fprintf(stderr, "usage: history-screenshot history|share FILE.png\n");
        return 2;
    }
    Fonts::registerFonts();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    HistoryFixture fixture;
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));

    std::unique_ptr<ShareClipWindowController> share;
    std::unique_ptr<QQuickView> page;
    QQuickWindow* window = nullptr;
    if (arguments.at(1) == "share") {
        share = std::make_unique<ShareClipWindowController>(fixture.entry(fixture.property("persian").toString()),
                                                            *fixture.appModel(), engine);
        window = share->window();
    } else {
        // Open on the Persian dictation, as the Home page's recent list would.
        fixture.appModel()->setSelectedHistory(fixture.property("persian").toString());
        page = std::make_unique<QQuickView>(&engine, nullptr);
        page->setColor(QColor(252, 252, 251));
        page->setResizeMode(QQuickView::SizeRootObjectToView);
        page->setInitialProperties({{"model", QVariant::fromValue(fixture.appModel())}});
        page->setSource(QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/Main/HistoryView.qml")));
        page->resize(1040, 760);
        window = page.get();
    }
    window->show();
    QTimer::singleShot(300, [&] {
        const bool saved = window->grabWindow().save(arguments.at(2));
        QCoreApplication::exit(saved ? 0 : 1);
    });
    return app.exec();
}
