#pragma once
// The window that lists the third-party components the application ships or links, with their
// licences, from the resources "Acknowledgements" (one component a line: name, what it does,
// licence, separated by tabs) and "THIRD-PARTY-NOTICES" (the licence texts).

#include <QObject>
#include <QVariantList>

#include <memory>

class QmlWindowFactory;
class QQuickWindow;

class AcknowledgementsWindow : public QObject {
    Q_OBJECT

public:
    // Each component as {name, role, licence}.
    static QVariantList components();
    static QString notices();

    explicit AcknowledgementsWindow(const QmlWindowFactory& factory);
    ~AcknowledgementsWindow() override;

    // Shows the window, building it again after the user closed it.
    void show();
    QQuickWindow* window() const { return window_.get(); }

private:
    const QmlWindowFactory& factory_;
    std::unique_ptr<QQuickWindow> window_;
};
