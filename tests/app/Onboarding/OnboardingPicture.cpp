// Renders one step of the first-run window offscreen with seeded state:
// `onboarding-picture welcome|key|permissions|tryIt|done FILE.png`.
#include "Fonts.h"
#include "ManualClock.h"
#include "OnboardingFakes.h"
#include "OnboardingModel.h"
#include "OnboardingWindowController.h"

#include <QGuiApplication>
#include <QMetaEnum>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return 2;
    Fonts::registerFonts();
    bool known = false;
    const int step = QMetaEnum::fromType<OnboardingModel::Step>().keyToValue(argv[1], &known);
    if (!known)
        return 2;

    FakePermissions permissions;
    permissions.mic = Microphone::Permission::authorized;
    FakePanels panels;
    ManualClock clock;
    OnboardingModel model(HotkeyMonitor::Key::rightOption, permissions, panels, clock);
    model.setStep(static_cast<OnboardingModel::Step>(step));
    model.setModelReady(true);
    model.setPunctuation(PunctuationInstaller::Installing{429, 1000});
    if (model.step() == OnboardingModel::Step::tryIt) {
        const QString said =
            QStringLiteral("فردا ساعت ده یه meeting با تیم design داریم، می\u200Cخوام roadmap رو مرور کنیم");
        model.setPractice(said);
        model.setDictated(said);
    }
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    OnboardingWindowController controller(model, engine);
    controller.show();
    const QString output = QString::fromLocal8Bit(argv[2]);
    QTimer::singleShot(600, [&] {
        const QImage picture = controller.window()->grabWindow();
        if (picture.isNull() || !picture.save(output, "PNG")) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(output));
            QGuiApplication::exit(1);
            return;
        }
        QGuiApplication::quit();
    });
    return QGuiApplication::exec();
}
