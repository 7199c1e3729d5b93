#include "WindowPicture.h"

#include <QGuiApplication>
#include <QImage>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>
#include <memory>

void WindowPicture::saveWhenDrawn(QQuickWindow* window, const QString& output)
{
    auto scheduled = std::make_shared<bool>(false);
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [window, output, scheduled] {
        if (*scheduled)
            return;
        *scheduled = true;
        QTimer::singleShot(400, window, [window, output] {
            const QImage picture = window->grabWindow();
            if (picture.isNull() || !picture.save(output, "PNG")) {
                std::fprintf(stderr, "could not write %s\n", qPrintable(output));
                QGuiApplication::exit(1);
                return;
            }
            QGuiApplication::quit();
        });
    });
}
