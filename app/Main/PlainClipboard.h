#pragma once
// Copy buttons put exactly their text on the clipboard, replacing whatever was there.

#include <QString>

namespace PlainClipboard {
void copy(const QString& text);
}
