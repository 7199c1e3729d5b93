#include "Main/PlainClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

void PlainClipboard::copy(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}
