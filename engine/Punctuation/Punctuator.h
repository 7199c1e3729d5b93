#pragma once
// Adds Persian punctuation to dictated text: a token-classification model picks, for every word,
// the mark that follows it (nothing, ".", ":", "،" or "؟"). Long texts go through the model in
// overlapping windows of word pieces. Synchronous and safe to call from any thread; the shell
// calls it on its "quillmarsh.punctuation" queue.

#include "Punctuation/OnnxSession.h"
#include "Punctuation/WordPieceTokenizer.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

class Punctuator {
public:
    // The words [start, end) go into one model run; the labels of [keepFrom, keepTo) are kept.
    struct Window {
        int start = 0;
        int end = 0;
        int keepFrom = 0;
        int keepTo = 0;
        bool operator==(const Window&) const = default;
    };

    static constexpr int labelCount = 5;
    // The mark each label appends, indexed by label.
    static const std::array<QString, labelCount>& marks();
    // The Arabic comma is favoured a little.
    static const std::vector<float> defaultLabelBias;

    // Throws OnnxError for a bias of the wrong length or a model without "input_ids", and the
    // tokenizer's and session's own errors.
    Punctuator(const QString& directory, int threads, std::vector<float> labelBias);

    // Words split at whitespace, each followed by its mark unless it already ends in one,
    // joined with single spaces. Throws OnnxError; a failure changes nothing.
    QString punctuate(const QString& text);
    // One label per word.
    std::vector<int> labels(const QStringList& words);

    const std::vector<float>& labelBias() const { return labelBias_; }

    static std::vector<Window> windows(const std::vector<int>& pieceCounts);

private:
    // The pieces of every word of a text, one after the other; word w's are
    // ids[starts[w] .. starts[w + 1]).
    struct Pieces {
        std::vector<int32_t> ids;
        std::vector<size_t> starts;
    };

    std::vector<int> labelWords(const std::vector<QStringView>& words);
    // One label per word of [firstWord, endWord).
    std::vector<int> run(const Pieces& pieces, int firstWord, int endWord);

    std::vector<float> labelBias_;
    WordPieceTokenizer tokenizer_;
    OnnxSession session_;
    bool takesTokenTypes_ = false;
    std::mutex lock_;
};
