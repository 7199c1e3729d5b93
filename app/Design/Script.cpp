#include "Script.h"

bool Script::isPersian(const QString& text)
{
    qsizetype arabic = 0;
    qsizetype letters = 0;
    for (const char32_t scalar : text.toUcs4()) {
        if ((scalar >= 0x0600 && scalar <= 0x06FF) || (scalar >= 0xFB50 && scalar <= 0xFDFF)) {
            ++arabic;
        }
        // Combining marks count as letters, as in the platform's letter set (categories L and M).
        if (QChar::isLetter(scalar) || QChar::isMark(scalar)) {
            ++letters;
        }
    }
    return letters > 0 && letters <= 2 * arabic;
}
