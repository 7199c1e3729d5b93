// Runs the History page's Qt Quick tests, each with its own seeded history (HistoryFixture).
#include "Fonts.h"
#include "HistoryFixture.h"

#include <QLocale>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Fonts::registerFonts();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        qmlRegisterType<HistoryFixture>("Quillmarsh.Testing", 1, 0, "HistoryFixture");
    }
};

QUICK_TEST_MAIN_WITH_SETUP(HistoryPageTests, Setup)
#include "HistoryPageTests.moc"
