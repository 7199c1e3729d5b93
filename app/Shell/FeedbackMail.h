#pragma once
// Feedback by e-mail: a message addressed and filled in with the versions, opened in the user's
// mail application.

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class FeedbackMail : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    static inline const QString address = QStringLiteral("feedback@quillmarsh.app");

    // The mailto address with the subject "Quillmarsh feedback" and a body naming the application's
    // and the system's versions.
    static QUrl url();
    // Opens the message; when no mail application takes it, copies the address and says so in
    // an alert titled "No mail app is set up".
    Q_INVOKABLE static void open();
};
