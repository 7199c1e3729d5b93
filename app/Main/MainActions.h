#pragma once
// How the pages ask the application to act. The application sets each closure (holding itself
// weakly); an unset closure does nothing, and setModelPackage then answers false.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>

class MainActions : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application")

public:
    using QObject::QObject;

    std::function<void(const QString& keyRaw)> onSetKey;
    std::function<bool(const QString& packageRaw)> onSetModelPackage;
    std::function<void(const QString& modeRaw)> onSetEngineMode;
    std::function<void(bool on)> onSetPunctuation;
    std::function<void()> onShowOnboarding;
    std::function<void()> onShowAcknowledgements;
    std::function<void()> onRetryModel;
    std::function<void(const QString& entryID)> onShareClip;

    Q_INVOKABLE void setKey(const QString& keyRaw);
    Q_INVOKABLE bool setModelPackage(const QString& packageRaw);
    Q_INVOKABLE void setEngineMode(const QString& modeRaw);
    Q_INVOKABLE void setPunctuation(bool on);
    Q_INVOKABLE void showOnboarding();
    Q_INVOKABLE void showAcknowledgements();
    // After the speech model failed: gets it ready again.
    Q_INVOKABLE void retryModel();
    Q_INVOKABLE void shareClip(const QString& entryID);
};
