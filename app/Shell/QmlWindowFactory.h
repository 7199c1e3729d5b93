#pragma once
// Builds the application's windows from the QML files of its module, with one engine for all.

#include <QString>
#include <QVariantMap>

class QQmlEngine;
class QQuickWindow;

class QmlWindowFactory {
public:
    explicit QmlWindowFactory(QQmlEngine& engine) : engine_(engine) {}

    // A window from a QML file of this module ("Main/MainWindow.qml") with its initial properties;
    // nothing (and a log line) when the file can't be built. The caller owns it.
    QQuickWindow* make(const QString& file, const QVariantMap& properties = {}) const;

private:
    QQmlEngine& engine_;
};
