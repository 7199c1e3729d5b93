#pragma once
// Turns words into the vocabulary ids a BERT-style punctuation model was trained on, from the
// "tokenizer.json" beside the model. Only one pipeline is accepted: the BERT normaliser (clean
// text, accents stripped, lower case), the BERT pre-tokeniser and a WordPiece model.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class WordPieceTokenizer {
public:
    struct Encoding {
        std::vector<int32_t> ids;  // [CLS], the pieces of every word, [SEP]
        std::vector<int> wordIds;  // per id the index of its word; -1 for [CLS] and [SEP]
    };

    // Throws Error when the file can't be read or isn't JSON, OnnxError when it describes
    // another pipeline or lacks the special tokens.
    explicit WordPieceTokenizer(const QString& filePath);

    // The ids of one word's pieces; empty when the word normalises to nothing.
    std::vector<int32_t> pieces(QStringView word) const;
    // The same, appended to `ids`.
    void appendPieces(QStringView word, std::vector<int32_t>& ids) const;
    Encoding encode(const QStringList& words) const;

    int32_t unk() const { return unk_; }
    int32_t cls() const { return cls_; }
    int32_t sep() const { return sep_; }
    int maxChars() const { return maxChars_; }
    QString prefix() const;

private:
    struct Hash {
        using is_transparent = void;
        // FNV-1a over the scalars: pieces are short, and this runs for every candidate.
        size_t operator()(std::u32string_view text) const
        {
            uint64_t hash = 14695981039346656037ull;
            for (const char32_t c : text)
                hash = (hash ^ c) * 1099511628211ull;
            return size_t(hash);
        }
    };

    void wordPiece(std::u32string_view word, std::vector<int32_t>& ids) const;

    std::unordered_map<std::u32string, int32_t, Hash, std::equal_to<>> vocab_;
    int32_t unk_ = 0;
    int32_t cls_ = 0;
    int32_t sep_ = 0;
    std::u32string prefix_;
    int maxChars_ = 100;
};
