#include "AcknowledgementsWindow.h"

#include "QmlWindowFactory.h"
#include "WindowClosing.h"

#include <QFile>
#include <QQuickWindow>

namespace {

QString resource(const QString& name)
{
    QFile file(QStringLiteral(":/resources/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}

QVariantList AcknowledgementsWindow::components()
{
    QVariantList list;
    for (const QString& line :
         resource(QStringLiteral("Acknowledgements")).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3)
            continue;
        list.append(QVariantMap{{QStringLiteral("name"), fields[0]},
                                {QStringLiteral("role"), fields[1]},
                                {QStringLiteral("licence"), fields[2]}});
    }
    return list;
}

QString AcknowledgementsWindow::notices()
{
    return resource(QStringLiteral("THIRD-PARTY-NOTICES"));
}

AcknowledgementsWindow::AcknowledgementsWindow(const QmlWindowFactory& factory) : factory_(factory) {}

AcknowledgementsWindow::~AcknowledgementsWindow() = default;

void AcknowledgementsWindow::show()
{
    if (!window_) {
        window_.reset(
            factory_.make(QStringLiteral("Shell/AcknowledgementsWindow.qml"),
                          {{QStringLiteral("components"), components()}, {QStringLiteral("notices"), notices()}}));
        if (!window_)
            return;
        // The close is still under way: the window goes once it is over.
        WindowClosing::whenClosed(*window_, *this, [this, built = window_.get()] {
            if (window_.get() == built)
                window_.release()->deleteLater();
        });
    }
    window_->show();
    window_->raise();
    window_->requestActivate();
}
