#pragma once
// What the Styles page reads and changes of the style policy: the style of each kind of
// application and of single applications. Every change replaces AppModel.stylePolicy whole, once,
// which stores it; nothing is kept here.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class AppModel;

class StyleChoices : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppModel* model READ model WRITE setModel NOTIFY modelChanged)
    // [{id, title, examples}] for every kind of application, in the page's order.
    Q_PROPERTY(QVariantList categories READ categories CONSTANT)
    // The applications with a style of their own, by identifier in character-code order. Changes
    // only when one is added or removed, so the page keeps its rows while a style changes.
    Q_PROPERTY(QStringList apps READ apps NOTIFY appsChanged)
    // The style in effect for each kind of application, by raw value: {"email": "formal", ...}.
    Q_PROPERTY(QVariantMap categoryStyles READ categoryStyles NOTIFY changed)
    // The applications' own styles: {identifier: style}.
    Q_PROPERTY(QVariantMap appStyles READ appStyles NOTIFY changed)

public:
    using QObject::QObject;

    AppModel* model() const { return model_; }
    void setModel(AppModel* model);
    static QVariantList categories();
    QStringList apps() const { return apps_; }
    QVariantMap categoryStyles() const;
    QVariantMap appStyles() const;

    // Styles are raw values ("as_spoken", "clean", "formal"); an unknown one changes nothing.
    Q_INVOKABLE void setCategoryStyle(const QString& category, const QString& style);
    Q_INVOKABLE void setAppStyle(const QString& appId, const QString& style);
    // Gives the application a style of its own, starting at the style its kind has now.
    Q_INVOKABLE void addApp(const QString& appId);
    // The application follows its kind again.
    Q_INVOKABLE void removeApp(const QString& appId);

signals:
    void modelChanged();
    void appsChanged();
    void changed();

private:
    void policyChanged();
    // The application's own style, else the style of its kind.
    QString appStyle(const QString& appId) const;

    QPointer<AppModel> model_;
    QStringList apps_;
};
