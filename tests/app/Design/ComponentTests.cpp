// Runs the components' Qt Quick tests with the design system and the application's fonts.
#include "AccessibleState.h"
#include "Fonts.h"

#include <QAccessible>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)

// What an assistive technology does with a control, through the interface Qt gives it: as the
// accessibility bus asks, `accessibility.act(control, "Press")`.
class AccessibilityClient : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    Q_INVOKABLE QStringList actions(QQuickItem* control) const
    {
        QAccessibleActionInterface* actions = actionsOf(control);
        return actions ? actions->actionNames() : QStringList();
    }
    // What a reader says of the control's state: "unavailable" (dimmed) or not.
    Q_INVOKABLE bool heardUnavailable(QQuickItem* control) const
    {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        return accessible && accessible->state().disabled;
    }
    Q_INVOKABLE void act(QQuickItem* control, const QString& action) const
    {
        if (QAccessibleActionInterface* actions = actionsOf(control))
            actions->doAction(action);
    }

private:
    static QAccessibleActionInterface* actionsOf(QQuickItem* control)
    {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        return accessible ? accessible->actionInterface() : nullptr;
    }
};

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Fonts::registerFonts();
        AccessibleState::install();
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("accessibility"), new AccessibilityClient(engine));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(ComponentTests, Setup)
#include "ComponentTests.moc"
