#include "QmlWindowFactory.h"

#include "Core/Log.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

QQuickWindow* QmlWindowFactory::make(const QString& file, const QVariantMap& properties) const
{
    QQmlComponent component(&engine_, QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/") + file));
    QObject* object = component.createWithInitialProperties(properties);
    auto* window = qobject_cast<QQuickWindow*>(object);
    if (!window) {
        Log::info(QStringLiteral("window not built: ") + file + QStringLiteral(": ")
                  + component.errorString().trimmed());
        delete object;
        return nullptr;
    }
    return window;
}
