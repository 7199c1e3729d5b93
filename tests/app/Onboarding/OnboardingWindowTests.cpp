// Runs the first-run window's Qt Quick tests. `fixture` makes models over a desktop the tests set
// by hand (it types unless `typing` is cleared; `hasSwitch` and `hasPanels` say whether it has an
// accessibility switch and settings panels) and records the keys handed to the application.
#include "Fonts.h"
#include "ManualClock.h"
#include "OnboardingFakes.h"
#include "OnboardingModel.h"
#include "OrbState.h"
#include "QM.h"
#include "Shell/StatusIcon.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class Fixture : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList chosenKeys MEMBER chosenKeys_)
    Q_PROPERTY(bool typing MEMBER typing_)
    Q_PROPERTY(bool hasSwitch MEMBER hasSwitch_)
    Q_PROPERTY(bool hasPanels MEMBER hasPanels_)

public:
    Q_INVOKABLE OnboardingModel* model(const QString& keyRaw, int mic, bool trusted)
    {
        permissions_.mic = static_cast<Microphone::Permission>(mic);
        permissions_.typing = typing_;
        using Switch = DesktopPermissions::Switch;
        permissions_.state = !hasSwitch_ ? Switch::absent : trusted ? Switch::on : Switch::off;
        panels_.installed = hasPanels_;
        auto* model =
            new OnboardingModel(*HotkeyMonitor::fromRawValue(keyRaw), keyboard_, permissions_, panels_, clock_, this);
        QQmlEngine::setObjectOwnership(model, QQmlEngine::CppOwnership);
        model->onChooseKey = [this](HotkeyMonitor::Key key) { chosenKeys_.append(HotkeyMonitor::rawValue(key)); };
        chosenKeys_.clear();
        return model;
    }

    // Which pixels the tray's resting mark inks, row by row, at one pixel a point.
    Q_INVOKABLE QVariantList trayMarkInk() const
    {
        const QImage mark = StatusIcon::orb(OrbState(), QM::ink, false, 1);
        QVariantList inked;
        for (int y = 0; y < mark.height(); ++y) {
            for (int x = 0; x < mark.width(); ++x)
                inked.append(qAlpha(mark.pixel(x, y)) > 127);
        }
        return inked;
    }

private:
    FakeKeyboard keyboard_;
    FakePermissions permissions_;
    FakePanels panels_;
    ManualClock clock_;
    QStringList chosenKeys_;
    bool typing_ = true;
    bool hasSwitch_ = true;
    bool hasPanels_ = true;
};

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable() { Fonts::registerFonts(); }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("fixture"), &fixture_);
    }

private:
    Fixture fixture_;
};

QUICK_TEST_MAIN_WITH_SETUP(OnboardingWindowTests, Setup)
#include "OnboardingWindowTests.moc"
