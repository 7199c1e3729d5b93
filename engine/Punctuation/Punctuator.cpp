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

bool endsInMark(QStringView word)
{
    static const QString existing = QStringLiteral(".:\u060C\u061F!?,\u061B;\u2026");
    // Only a word whose last scalar is a mark can end in one; whether that mark is a whole
    // character of its own takes the slower look at grapheme clusters.
    if (word.isEmpty() || !existing.contains(word.back()))
        return false;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, word.data(), word.size());
    graphemes.toEnd();
    return graphemes.toPreviousBoundary() == word.size() - 1;
}

// The White_Space property for a UTF-16 unit (no whitespace lies outside the Basic Multilingual
// Plane, so surrogates never split). Letters below U+1680, Persian among them, skip the table.
bool isWhitespace(QChar unit)
{
    const char16_t c = unit.unicode();
    if (c < 0x80)
        return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    if (c < 0x1680)
        return c == 0x85 || c == 0xA0;
    return unit.isSpace();
}

std::vector<QStringView> splitWords(const QString& text)
{
    std::vector<QStringView> words;
    qsizetype start = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isWhitespace(text.at(i))) {
            if (start >= 0)
                words.push_back(QStringView(text).sliced(start, i - start));
            start = -1;
        } else if (start < 0) {
            start = i;
        }
    }
    if (start >= 0)
        words.push_back(QStringView(text).sliced(start));
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
    const std::vector<QStringView> words = splitWords(text);
    const std::vector<int> wordLabels = labelWords(words);
    std::vector<QStringView> appended(words.size());
    qsizetype length = words.empty() ? 0 : qsizetype(words.size()) - 1;
    for (size_t index = 0; index < words.size(); ++index) {
        const int label = wordLabels[index];
        if (label != 0 && !endsInMark(words[index]))
            appended[index] = marks()[size_t(label)];
        length += words[index].size() + appended[index].size();
    }

    // Written in one pass into a text of the final length: appending word by word costs more
    // than the model run of a short text.
    QString result(length, Qt::Uninitialized);
    QChar* out = result.data();
    for (size_t index = 0; index < words.size(); ++index) {
        if (index > 0)
            *out++ = u' ';
        out = std::copy(words[index].begin(), words[index].end(), out);
        out = std::copy(appended[index].begin(), appended[index].end(), out);
    }
    return result;
}

std::vector<int> Punctuator::labels(const QStringList& words)
{
    return labelWords(std::vector<QStringView>(words.begin(), words.end()));
}

std::vector<int> Punctuator::labelWords(const std::vector<QStringView>& words)
{
    if (words.empty())
        return {};
    std::lock_guard guard(lock_);

    Pieces pieces;
    pieces.starts.reserve(words.size() + 1);
    pieces.ids.reserve(words.size() * 2);
    std::vector<int> pieceCounts;
    pieceCounts.reserve(words.size());
    for (const QStringView word : words) {
        pieces.starts.push_back(pieces.ids.size());
        tokenizer_.appendPieces(word, pieces.ids);
        pieceCounts.push_back(std::max<int>(1, int(pieces.ids.size() - pieces.starts.back())));
    }
    pieces.starts.push_back(pieces.ids.size());

    std::vector<int> result(words.size(), 0);
    for (const Window& window : windows(pieceCounts)) {
        const std::vector<int> windowLabels = run(pieces, window.start, window.end);
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

std::vector<int> Punctuator::run(const Pieces& pieces, int firstWord, int endWord)
{
    const size_t firstPiece = pieces.starts[size_t(firstWord)], endPiece = pieces.starts[size_t(endWord)];
    // [CLS], the pieces, [SEP], and never more than the model's 512 tokens.
    const size_t tokens = std::min(endPiece - firstPiece + 2, maxTokens);

    std::vector<int64_t> ids;
    ids.reserve(tokens);
    ids.push_back(tokenizer_.cls());
    ids.insert(ids.end(), pieces.ids.begin() + ptrdiff_t(firstPiece),
               pieces.ids.begin() + ptrdiff_t(std::min(endPiece, firstPiece + tokens - 1)));
    if (ids.size() < tokens)
        ids.push_back(tokenizer_.sep());

    OnnxSession::Inputs inputs;
    inputs.emplace("input_ids", std::move(ids));
    inputs.emplace("attention_mask", std::vector<int64_t>(tokens, 1));
    if (takesTokenTypes_)
        inputs.emplace("token_type_ids", std::vector<int64_t>(tokens, 0));
    const std::vector<float> logits = session_.run(inputs, tokens, "logits");
    if (logits.size() != tokens * labelCount)
        throw OnnxError(QStringLiteral("unexpected output size %1 for %2 tokens").arg(logits.size()).arg(tokens));

    // A word's label comes from the scores of its first piece; words without a token keep 0.
    std::vector<int> result(size_t(endWord - firstWord), 0);
    for (int word = firstWord; word < endWord; ++word) {
        const size_t start = pieces.starts[size_t(word)];
        const size_t token = 1 + start - firstPiece;
        if (start == pieces.starts[size_t(word) + 1] || token >= tokens)
            continue;
        const float* scores = logits.data() + token * labelCount;
        int best = 0;
        float bestScore = scores[0] + labelBias_[0];
        for (int label = 1; label < labelCount; ++label) {
            const float score = scores[label] + labelBias_[size_t(label)];
            if (score > bestScore) {
                best = label;
                bestScore = score;
            }
        }
        result[size_t(word - firstWord)] = best;
    }
    return result;
}
