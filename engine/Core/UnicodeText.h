#pragma once
// The Unicode rules that the user's text records share: words at white space, user-perceived
// characters, punctuation and symbols, and comparison without regard to case or accents.

#include <QString>
#include <QStringList>
#include <QStringView>

// Maximal runs of non-white-space characters (line breaks count as white space).
QStringList splitAtWhitespace(QStringView text);

// The user-perceived characters (extended grapheme clusters) of a text, in order.
QStringList userCharacters(const QString& text);
qsizetype userCharacterCount(const QString& text);

// General category punctuation (P*).
bool isPunctuation(char32_t scalar);
// General category punctuation (P*) or symbol (S*).
bool isPunctuationOrSymbol(char32_t scalar);

// Lower case by the full, locale-independent Unicode mapping, final sigma included: a capital
// sigma at the end of a word becomes ς, elsewhere σ.
QString lowerCased(const QString& text);

// Texts compare as the user sees them: canonically equivalent texts (a letter and its
// composed or decomposed forms) are the same text.
bool sameText(const QString& a, const QString& b);

// A form in which texts that differ only in letter case or diacritics are equal.
QString foldCaseAndDiacritics(const QString& text);
