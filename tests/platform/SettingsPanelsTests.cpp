#include "SettingsPanels.h"

#include <QTest>

using Panel = SettingsPanels::Panel;

class SettingsPanelsTests : public QObject {
    Q_OBJECT

private slots:
    void theDesktopsOwnToolOpensThePanel_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("command");
        const QStringList both{"gnome-control-center", "systemsettings", "pavucontrol"};
        QTest::newRow("GNOME") << int(Panel::accessibility) << both << QString("GNOME")
                               << QStringList{"gnome-control-center", "universal-access"};
        QTest::newRow("KDE first on KDE")
            << int(Panel::keyboard) << both << QString("KDE") << QStringList{"systemsettings", "kcm_keyboard"};
        QTest::newRow("whichever is there") << int(Panel::microphone) << QStringList{"systemsettings"}
                                            << QString("XFCE") << QStringList{"systemsettings", "kcm_pulseaudio"};
        QTest::newRow("mixer for the microphone") << int(Panel::microphone) << QStringList{"pavucontrol"} << QString("")
                                                  << QStringList{"pavucontrol", "--tab=4"};
        QTest::newRow("mixer has no keyboard")
            << int(Panel::keyboard) << QStringList{"pavucontrol"} << QString("") << QStringList{};
        QTest::newRow("nothing installed")
            << int(Panel::accessibility) << QStringList{} << QString("GNOME") << QStringList{};
    }
    void theDesktopsOwnToolOpensThePanel()
    {
        QFETCH(int, panel);
        QFETCH(QStringList, installed);
        QFETCH(QString, desktop);
        const auto isInstalled = [&](const QString& program) { return installed.contains(program); };
        QTEST(SettingsPanels::command(static_cast<Panel>(panel), isInstalled, desktop), "command");
    }
};

QTEST_APPLESS_MAIN(SettingsPanelsTests)
#include "SettingsPanelsTests.moc"
