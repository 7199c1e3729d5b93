#include "UnicodeText.h"

#include <QChar>
#include <QTextBoundaryFinder>

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
