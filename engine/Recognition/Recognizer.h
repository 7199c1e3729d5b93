#pragma once
// Speech recognition on this machine: one streaming transducer recogniser of the sherpa-onnx C
// library per loaded model, handing out one stream per dictation. Audio is 32-bit float, mono,
// 16,000 samples per second.

#include "Core/Error.h"
#include "RecognizerConfig.h"
#include "SpeechEngine.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <span>

struct SherpaOnnxOnlineRecognizer;
struct SherpaOnnxOnlineStream;

class RecognizerError : public Error {
public:
    enum class Kind { missingFile, damagedFile, createFailed, streamFailed };

    static RecognizerError missingFile(const QString& path);
    static RecognizerError damagedFile(const QString& path);
    static RecognizerError createFailed();
    static RecognizerError streamFailed();

    Kind kind() const { return kind_; }
    QString path() const { return path_; }  // the file, for missingFile and damagedFile

private:
    RecognizerError(Kind kind, const QString& description, QString path = {});

    Kind kind_;
    QString path_;
};

class RecognitionStream;

// Always held by a shared_ptr: every stream keeps its recogniser alive.
class Recognizer final : public SpeechEngine, public std::enable_shared_from_this<Recognizer> {
public:
    static constexpr int sampleRate = 16000;

    // Checks the model folder and loads the model (slow: call it off the main thread). Throws
    // RecognizerError. "QUILLMARSH_DECODING", "QUILLMARSH_BEAM" and "QUILLMARSH_HOTWORDS_SCORE"
    // are read here.
    explicit Recognizer(RecognizerConfig config);
    ~Recognizer() override;
    Recognizer(const Recognizer&) = delete;
    Recognizer& operator=(const Recognizer&) = delete;

    std::shared_ptr<RecognitionStream> makeStream(const QStringList& hotwords);
    std::shared_ptr<SpeechStream> openStream(const QStringList& hotwords) override;
    // One whole buffer through a fresh stream without hotwords; returns the final text.
    QString transcribe(std::span<const float> samples);

    const RecognizerConfig& config() const { return config_; }
    // "greedy_search" or "modified_beam_search".
    const QString& decodingMethod() const { return decodingMethod_; }
    bool spellsLatin() const { return spellsLatin_; }

    // Without spellsLatin, the hotwords that hold no Latin letter (alphabetic, up to U+024F).
    static QStringList usable(const QStringList& hotwords, bool spellsLatin);
    // Whether a token list has a piece with an ASCII letter, special tokens "<...>" aside; a list
    // that is missing or not UTF-8 is unreadable and has none.
    static bool hasLatinPieces(const QString& tokensPath);

private:
    friend class RecognitionStream;

    RecognizerConfig config_;
    QString decodingMethod_ = QStringLiteral("greedy_search");
    bool spellsLatin_ = false;
    const SherpaOnnxOnlineRecognizer* handle_ = nullptr;
};

// One recognition. Not synchronised: drive it from one thread at a time.
class RecognitionStream final : public SpeechStream {
public:
    // Opens the native stream, biased towards the usable hotwords when the recogniser can take
    // them, and feeds a short lead-in of silence. Throws RecognizerError::streamFailed.
    RecognitionStream(std::shared_ptr<Recognizer> recognizer, const QStringList& hotwords);
    ~RecognitionStream() override;
    RecognitionStream(const RecognitionStream&) = delete;
    RecognitionStream& operator=(const RecognitionStream&) = delete;

    void accept(std::span<const float> samples) override;
    void decode() override;
    QString text() override;
    // The first call feeds the tail of silence and ends the input; every call decodes what is
    // buffered and returns the text.
    QString finish();
    void finish(std::function<void(const QString&)> completion) override;
    // Later samples are dropped, and finish() neither adds silence nor ends the input.
    void cancel() override;

private:
    void feed(std::span<const float> samples);
    void feedSilence(qint64 count);

    std::shared_ptr<Recognizer> recognizer_;
    const SherpaOnnxOnlineStream* handle_ = nullptr;
    bool finished_ = false;
};
