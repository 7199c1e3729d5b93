#include "Punctuation/Punctuator.h"

#include "Punctuation/PunctuationStore.h"

#include <QDir>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

constexpr int maxWindowPieces = 256;
constexpr int windowOverlap = 24;
constexpr size_t maxTokens = 512;

// Refuses a bias of the wrong length before anything is loaded.
std::vector<float> checkedBias(std::vector<float> bias)
{
    if (bias.size() != size_t(Punctuator::labelCount))
        throw OnnxError(QStringLiteral("labelBias has %1 values, the model has %2 labels")
                            .arg(bias.size())
                            .arg(Punctuator::labelCount));
    return bias;
}

bool endsInMark(const QString& word)
{
    static const QStringList existing = {
        QStringLiteral("."), QStringLiteral(":"), QStringLiteral("\u060C"), QStringLiteral("\u061F"),
        QStringLiteral("!"), QStringLiteral("?"), QStringLiteral(","),      QStringLiteral("\u061B"),
        QStringLiteral(";"), QStringLiteral("\u2026"),
    };
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, word);
    graphemes.toEnd();
    const qsizetype lastStart = graphemes.toPreviousBoundary();
    return lastStart >= 0 && existing.contains(word.mid(lastStart));
}

QStringList splitWords(const QString& text)
{
    QStringList words;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        char32_t scalar = unit.unicode();
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            scalar = QChar::surrogateToUcs4(unit, text.at(i + 1));
        if (QChar::isSpace(scalar)) {
            if (!current.isEmpty())
                words.append(std::exchange(current, QString()));
            continue;
        }
        current.append(unit);
    }
    if (!current.isEmpty())
        words.append(current);
    return words;
}

}

const std::array<QString, Punctuator::labelCount>& Punctuator::marks()
{
    static const std::array<QString, labelCount> values = {
        QString(), QStringLiteral("."), QStringLiteral(":"), QStringLiteral("\u060C"), QStringLiteral("\u061F"),
    };
    return values;
}

const std::vector<float> Punctuator::defaultLabelBias = {0, 0, 0, 0.5f, 0};

Punctuator::Punctuator(const QString& directory, int threads, std::vector<float> labelBias)
    : labelBias_(checkedBias(std::move(labelBias))),
      tokenizer_(QDir(directory).filePath(PunctuationStore::tokenizerFile)),
      session_(QDir(directory).filePath(PunctuationStore::modelFile), threads)
{
    const auto& names = session_.inputNames();
    if (std::find(names.begin(), names.end(), "input_ids") == names.end())
        throw OnnxError(QStringLiteral("the punctuation model has no input_ids input"));
    takesTokenTypes_ = std::find(names.begin(), names.end(), "token_type_ids") != names.end();
}

QString Punctuator::punctuate(const QString& text)
{
    QStringList words = splitWords(text);
    const std::vector<int> wordLabels = labels(words);
    for (qsizetype index = 0; index < words.size(); ++index) {
        const int label = wordLabels[size_t(index)];
        if (label != 0 && !endsInMark(words[index]))
            words[index] += marks()[size_t(label)];
    }
    return words.join(QLatin1Char(' '));
}

std::vector<int> Punctuator::labels(const QStringList& words)
{
    if (words.isEmpty())
        return {};
    std::lock_guard guard(lock_);

    std::vector<std::vector<int32_t>> wordPieces;
    std::vector<int> pieceCounts;
    wordPieces.reserve(size_t(words.size()));
    pieceCounts.reserve(size_t(words.size()));
    for (const QString& word : words) {
        wordPieces.push_back(tokenizer_.pieces(word));
        pieceCounts.push_back(std::max<int>(1, int(wordPieces.back().size())));
    }

    std::vector<int> result(wordPieces.size(), 0);
    for (const Window& window : windows(pieceCounts)) {
        const std::vector<std::vector<int32_t>> slice(wordPieces.begin() + window.start,
                                                      wordPieces.begin() + window.end);
        const std::vector<int> windowLabels = run(slice);
        for (int word = window.keepFrom; word < window.keepTo; ++word)
            result[size_t(word)] = windowLabels[size_t(word - window.start)];
    }
    return result;
}

std::vector<Punctuator::Window> Punctuator::windows(const std::vector<int>& pieceCounts)
{
    const int count = int(pieceCounts.size());
    std::vector<std::pair<int, int>> spans;
    int start = 0;
    while (start < count) {
        int end = start;
        long long total = 0;
        while (end < count && (end == start || total + pieceCounts[size_t(end)] <= maxWindowPieces)) {
            total += pieceCounts[size_t(end)];
            ++end;
        }
        spans.emplace_back(start, end);
        if (end >= count)
            break;
        start = std::max(end - windowOverlap, start + 1);
    }

    std::vector<Window> result;
    result.reserve(spans.size());
    for (size_t index = 0; index < spans.size(); ++index) {
        const auto [spanStart, spanEnd] = spans[index];
        const int keepFrom = index == 0 ? spanStart : (spanStart + spans[index - 1].second) / 2;
        const int keepTo = index + 1 == spans.size() ? spanEnd : (spans[index + 1].first + spanEnd) / 2;
        result.push_back({spanStart, spanEnd, keepFrom, keepTo});
    }
    return result;
}

std::vector<int> Punctuator::run(const std::vector<std::vector<int32_t>>& wordPieces)
{
    std::vector<int64_t> ids{tokenizer_.cls()};
    std::vector<int> wordIds{-1};
    for (size_t word = 0; word < wordPieces.size(); ++word) {
        for (int32_t piece : wordPieces[word]) {
            ids.push_back(piece);
            wordIds.push_back(int(word));
        }
    }
    ids.push_back(tokenizer_.sep());
    wordIds.push_back(-1);
    if (ids.size() > maxTokens) {
        ids.resize(maxTokens);
        wordIds.resize(maxTokens);
    }
    const size_t tokens = ids.size();

    OnnxSession::Inputs inputs;
    inputs.emplace("input_ids", std::move(ids));
    inputs.emplace("attention_mask", std::vector<int64_t>(tokens, 1));
    if (takesTokenTypes_)
        inputs.emplace("token_type_ids", std::vector<int64_t>(tokens, 0));
    const std::vector<float> logits = session_.run(inputs, tokens, "logits");
    if (logits.size() != tokens * labelCount)
        throw OnnxError(QStringLiteral("unexpected output size %1 for %2 tokens").arg(logits.size()).arg(tokens));

    std::vector<int> result(wordPieces.size(), 0);
    int lastWord = -1;
    for (size_t token = 0; token < tokens; ++token) {
        const int word = wordIds[token];
        // Words are numbered in order, so a new word is one past the last seen.
        if (word <= lastWord)
            continue;
        lastWord = word;
        int best = 0;
        float bestScore = logits[token * labelCount] + labelBias_[0];
        for (int label = 1; label < labelCount; ++label) {
            const float score = logits[token * labelCount + size_t(label)] + labelBias_[size_t(label)];
            if (score > bestScore) {
                best = label;
                bestScore = score;
            }
        }
        result[size_t(word)] = best;
    }
    return result;
}
