#pragma once
// The two jobs of the user's vocabulary, as pure text logic: the hotword spellings that bias the
// local recogniser, and the user's spellings put back into recognised text ("iphone" becomes
// "iPhone").

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

namespace Hotwords {
// The word as given, lower-cased, and lower-cased with its first character upper-cased; empty
// and repeated spellings dropped.
QStringList variants(const QString& word);
// The variants of every word in order, each spelling once.
QStringList expand(const QStringList& words);
}

class WrittenForms {
public:
    // Only entries with a capital letter get a written form; the first entry of a key wins.
    explicit WrittenForms(const QStringList& words = {});

    // Every match, in any capitalisation and spacing, becomes its entry as typed. A match may not
    // touch an ASCII letter, digit or underscore on either side.
    QString apply(const QString& text) const;
    bool isEmpty() const { return !regex_.has_value(); }

private:
    std::optional<QRegularExpression> regex_;
    QHash<QString, QString> forms_;  // key (lower case, single spaces) -> the entry as typed
};
