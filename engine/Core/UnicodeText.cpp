#include "UnicodeText.h"

#include <QChar>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <iterator>

QStringList splitAtWhitespace(QStringView text)
{
    // Every white-space character lies in the basic plane, so code units suffice.
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSpace()) {
            if (start >= 0)
                words.append(text.mid(start, i - start).toString());
            start = -1;
        } else if (start < 0) {
            start = i;
        }
    }
    if (start >= 0)
        words.append(text.mid(start).toString());
    return words;
}

QStringList userCharacters(const QString& text)
{
    QStringList characters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        characters.append(text.mid(start, end - start));
        start = end;
    }
    return characters;
}

qsizetype userCharacterCount(const QString& text)
{
    qsizetype count = 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

bool isPunctuation(char32_t scalar)
{
    switch (QChar::category(scalar)) {
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
        return true;
    default:
        return false;
    }
}

bool isPunctuationOrSymbol(char32_t scalar)
{
    if (isPunctuation(scalar))
        return true;
    switch (QChar::category(scalar)) {
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return true;
    default:
        return false;
    }
}

namespace {

constexpr char16_t capitalSigma = 0x03A3;

// Letters with case, and what a word may carry between them without ending (marks, format
// characters, modifiers, and the apostrophes, points and colons that sit inside words).
bool isCased(char32_t scalar)
{
    return QChar::isUpper(scalar) || QChar::isLower(scalar) || QChar::isTitleCase(scalar);
}

bool isCaseIgnorable(char32_t scalar)
{
    switch (QChar::category(scalar)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Letter_Modifier:
    case QChar::Symbol_Modifier:
        return true;
    default:
        break;
    }
    static constexpr char32_t insideWords[] = {0x0027, 0x002E, 0x003A, 0x00B7, 0x0387, 0x05F4, 0x2018, 0x2019,
                                               0x2024, 0x2027, 0xFE13, 0xFE52, 0xFE55, 0xFF07, 0xFF0E, 0xFF1A};
    return std::find(std::begin(insideWords), std::end(insideWords), scalar) != std::end(insideWords);
}

// The first scalar that isn't case-ignorable, walking from `index` by `step` (±1) over the
// scalars; 0 when there is none.
char32_t nextOtherThanIgnorable(const QList<uint>& scalars, qsizetype index, qsizetype step)
{
    for (qsizetype i = index + step; i >= 0 && i < scalars.size(); i += step) {
        if (!isCaseIgnorable(scalars[i]))
            return scalars[i];
    }
    return 0;
}

}

QString lowerCased(const QString& text)
{
    if (!text.contains(QChar(capitalSigma)))
        return text.toLower();
    // The other letters lower-case alike anywhere, so the text is lowered a scalar at a time.
    const QList<uint> scalars = text.toUcs4();
    QString lowered;
    lowered.reserve(text.size());
    for (qsizetype i = 0; i < scalars.size(); ++i) {
        if (scalars[i] != capitalSigma) {
            const char32_t scalar = scalars[i];
            lowered += QString::fromUcs4(&scalar, 1).toLower();
            continue;
        }
        const bool endsWord =
            isCased(nextOtherThanIgnorable(scalars, i, -1)) && !isCased(nextOtherThanIgnorable(scalars, i, 1));
        lowered += QChar(endsWord ? 0x03C2 : 0x03C3);
    }
    return lowered;
}

bool sameText(const QString& a, const QString& b)
{
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

QString foldCaseAndDiacritics(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString bare;
    bare.reserve(decomposed.size());
    for (const char32_t scalar : decomposed.toUcs4()) {
        if (QChar::category(scalar) != QChar::Mark_NonSpacing)
            bare.append(QChar::fromUcs4(scalar));
    }
    return bare.toCaseFolded().normalized(QString::NormalizationForm_C);
}
