#include "Recognizer.h"

#include "OnnxModelFile.h"

#include "Core/EnvironmentNumber.h"
#include "Core/Log.h"
#include "Int32Pieces.h"
#include "SpeechLibraries/HelperThreadSpin.h"
#include "SpeechLibraries/SherpaOnnxApi.h"
#include "WrittenForms.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <limits>

namespace {

const QString greedySearch = QStringLiteral("greedy_search");
const QString beamSearch = QStringLiteral("modified_beam_search");

constexpr std::array requiredModelFiles{"encoder.onnx", "encoder.data", "decoder.onnx", "joiner.onnx", "tokens.txt"};

// Wider beams cost time out of all proportion (the 32-bit maximum never finishes a decode);
// anything wider than this is taken as a typo.
constexpr int32_t widestBeam = 64;

// Silence before the first real sample primes the model's front end.
constexpr qint64 leadInSamples = 2640;

// How many fields the library's reader finds in a line: runs of ASCII white space separate them.
int fieldCount(const QByteArray& line)
{
    int count = 0;
    bool inField = false;
    for (char c : line) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
        count += !space && !inField ? 1 : 0;
        inField = !space;
    }
    return count;
}

// The lines of a text file as the library reads them: no extra empty line after a final newline.
std::optional<QList<QByteArray>> linesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray content = file.readAll();
    if (content.endsWith('\n'))
        content.chop(1);
    return content.split('\n');
}

// A token line with more than two fields, or a byte-pair vocabulary line with fewer than two (an
// empty line included), makes the library end the process while loading; such a model folder
// is refused here instead.
bool libraryCanRead(const QString& tokensPath, const std::optional<QString>& bpeVocabPath)
{
    const auto tokenLines = linesOf(tokensPath);
    const auto tooManyFields = [](const QByteArray& line) { return fieldCount(line) > 2; };
    if (!tokenLines || std::any_of(tokenLines->begin(), tokenLines->end(), tooManyFields))
        return false;
    if (!bpeVocabPath)
        return true;
    const auto vocabLines = linesOf(*bpeVocabPath);
    const auto tooFewFields = [](const QByteArray& line) { return fieldCount(line) < 2; };
    return vocabLines && std::none_of(vocabLines->begin(), vocabLines->end(), tooFewFields);
}

// Any other method makes the library end the process, so only these two get through.
QString decodingMethodFor(bool hasBpeVocab)
{
    QString folderRule = hasBpeVocab ? beamSearch : greedySearch;
    if (!qEnvironmentVariableIsSet("QUILLMARSH_DECODING"))
        return folderRule;
    QString chosen = qEnvironmentVariable("QUILLMARSH_DECODING");
    if (chosen == greedySearch || chosen == beamSearch)
        return chosen;
    Log::info(QStringLiteral("unknown decoding method ignored (QUILLMARSH_DECODING=%1); using ").arg(chosen)
              + folderRule);
    return folderRule;
}

// The library's hotword parser splits lines at '/', reads a word starting with ':' after the
// first as a score (ending the process when it isn't a number), and can trip over '#' pieces;
// vocabulary entries are typed by hand, so those characters never reach it.
QString hotwordText(const QStringList& hotwords)
{
    static const QRegularExpression separators(QStringLiteral("[:/]"));
    QStringList lines;
    for (const QString& hotword : Hotwords::expand(hotwords)) {
        const QString spaced = QString(hotword).replace(separators, QStringLiteral(" "));
        const QStringList words = spaced.simplified().split(u' ', Qt::SkipEmptyParts);
        QStringList kept;
        for (const QString& word : words) {
            if (!word.startsWith(u'#'))
                kept.append(word);
        }
        if (!kept.isEmpty())
            lines.append(kept.join(u' '));
    }
    return lines.join(u'\n');
}

}

RecognizerError::RecognizerError(Kind kind, const QString& description, QString path)
    : Error(description), kind_(kind), path_(std::move(path))
{
}

RecognizerError RecognizerError::missingFile(const QString& path)
{
    return {Kind::missingFile,
            QStringLiteral("model file not found: ") + path + QStringLiteral(" (set QUILLMARSH_MODEL_DIR)"), path};
}

RecognizerError RecognizerError::damagedFile(const QString& path)
{
    return {Kind::damagedFile, QStringLiteral("model file damaged: ") + path, path};
}

RecognizerError RecognizerError::createFailed()
{
    return {Kind::createFailed, QStringLiteral("sherpa-onnx could not create the recognizer")};
}

RecognizerError RecognizerError::streamFailed()
{
    return {Kind::streamFailed, QStringLiteral("sherpa-onnx could not start a recognition stream")};
}

Recognizer::Recognizer(RecognizerConfig config) : config_(std::move(config))
{
    const QString dir = config_.modelDir;
    const auto pathOf = [&](const char* name) { return dir + u'/' + QLatin1String(name); };

    spellsLatin_ = hasLatinPieces(pathOf("tokens.txt"));
    for (const char* name : requiredModelFiles) {
        if (!QFileInfo::exists(pathOf(name)))
            throw RecognizerError::missingFile(pathOf(name));
    }
    // The library keeps a little of every recogniser it fails to make: a model file that can't be
    // whole is refused before it gets there.
    for (const char* name : {"encoder.onnx", "decoder.onnx", "joiner.onnx"}) {
        if (!isWholeOnnxModel(pathOf(name)))
            throw RecognizerError::damagedFile(pathOf(name));
    }

    // Counts the library's thread pools can't take would end the process, not fail the call.
    if (config_.threads > RecognizerConfig::mostThreads)
        throw RecognizerError::createFailed();

    const QByteArray encoder = QFile::encodeName(pathOf("encoder.onnx"));
    const QByteArray decoder = QFile::encodeName(pathOf("decoder.onnx"));
    const QByteArray joiner = QFile::encodeName(pathOf("joiner.onnx"));
    const QByteArray tokens = QFile::encodeName(pathOf("tokens.txt"));
    const QByteArray bpeVocab = QFile::encodeName(pathOf("bpe.vocab"));
    const QByteArray provider = config_.provider.toUtf8();

    SherpaOnnxOnlineRecognizerConfig native{};
    native.feat_config = {sampleRate, 128};
    native.model_config.transducer = {encoder.constData(), decoder.constData(), joiner.constData()};
    native.model_config.tokens = tokens.constData();
    native.model_config.num_threads = config_.threads;
    native.model_config.provider = provider.constData();

    const bool hasBpeVocab = QFileInfo::exists(pathOf("bpe.vocab"));
    const QString method = decodingMethodFor(hasBpeVocab);
    const QByteArray methodText = method.toUtf8();
    native.decoding_method = methodText.constData();
    const std::optional<int32_t> beam = EnvironmentNumber::integer("QUILLMARSH_BEAM");
    native.max_active_paths = beam && *beam <= widestBeam ? *beam : 4;
    const bool bytePairs = hasBpeVocab && method == beamSearch;
    if (!libraryCanRead(pathOf("tokens.txt"), bytePairs ? std::optional(pathOf("bpe.vocab")) : std::nullopt))
        throw RecognizerError::createFailed();
    if (bytePairs) {
        native.model_config.modeling_unit = "bpe";
        native.model_config.bpe_vocab = bpeVocab.constData();
        native.hotwords_score =
            static_cast<float>(EnvironmentNumber::finite("QUILLMARSH_HOTWORDS_SCORE").value_or(1.5));
    }
    decodingMethod_ = method;

    // The runtime's helper threads keep the ordinary priority they are born with: a machine whose
    // cores are all busy (a build, a video) would starve them at any lower one, and the user would
    // wait for a dictation's text several times as long. What they cost others is their wait for
    // more work after each call, which is kept short instead.
    HelperThreadSpin::limit();
    handle_ = SherpaOnnxCreateOnlineRecognizer(&native);
    if (!handle_)
        throw RecognizerError::createFailed();
}

Recognizer::~Recognizer()
{
    SherpaOnnxDestroyOnlineRecognizer(handle_);
}

std::shared_ptr<RecognitionStream> Recognizer::makeStream(const QStringList& hotwords)
{
    return std::make_shared<RecognitionStream>(shared_from_this(), hotwords);
}

std::shared_ptr<SpeechStream> Recognizer::openStream(const QStringList& hotwords)
{
    return makeStream(hotwords);
}

QString Recognizer::transcribe(std::span<const float> samples)
{
    const std::shared_ptr<RecognitionStream> stream = makeStream({});
    stream->accept(samples);
    return stream->finish();
}

QStringList Recognizer::usable(const QStringList& hotwords, bool spellsLatin)
{
    if (spellsLatin)
        return hotwords;
    QStringList kept;
    for (const QString& hotword : hotwords) {
        const QList<uint> scalars = hotword.toUcs4();
        const bool latin = std::any_of(scalars.begin(), scalars.end(), [](uint scalar) {
            return scalar <= 0x24F && QChar::isLetter(char32_t(scalar));
        });
        if (!latin)
            kept.append(hotword);
    }
    return kept;
}

bool Recognizer::hasLatinPieces(const QString& tokensPath)
{
    QFile file(tokensPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Bad bytes would be replaced and read on; a list we can't read spells nothing we know of.
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString content = decoder.decode(file.readAll());
    if (decoder.hasError())
        return false;
    for (const QString& line : content.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype space = line.lastIndexOf(u' ');
        if (space < 0)
            continue;
        const QString piece = line.left(space);
        if (piece.startsWith(u'<') && piece.endsWith(u'>'))
            continue;
        const bool ascii = std::any_of(piece.begin(), piece.end(),
                                       [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); });
        if (ascii)
            return true;
    }
    return false;
}

RecognitionStream::RecognitionStream(std::shared_ptr<Recognizer> recognizer, const QStringList& hotwords)
    : recognizer_(std::move(recognizer))
{
    const QString text = hotwordText(Recognizer::usable(hotwords, recognizer_->spellsLatin()));
    if (!text.isEmpty()) {
        // A hotword stream on any other method ends the process at its first decode.
        if (recognizer_->decodingMethod() == beamSearch)
            handle_ = SherpaOnnxCreateOnlineStreamWithHotwords(recognizer_->handle_, text.toUtf8().constData());
        if (!handle_)
            Log::info(QStringLiteral("the engine rejected the vocabulary; dictating without it"));
    }
    if (!handle_)
        handle_ = SherpaOnnxCreateOnlineStream(recognizer_->handle_);
    if (!handle_)
        throw RecognizerError::streamFailed();
    SherpaOnnxOnlineStreamSetOption(handle_, "language", recognizer_->config().language.toUtf8().constData());
    feedSilence(leadInSamples);
}

RecognitionStream::~RecognitionStream()
{
    SherpaOnnxDestroyOnlineStream(handle_);
}

void RecognitionStream::accept(std::span<const float> samples)
{
    if (finished_ || samples.empty())
        return;
    feed(samples);
}

void RecognitionStream::decode()
{
    while (SherpaOnnxIsOnlineStreamReady(recognizer_->handle_, handle_) == 1)
        SherpaOnnxDecodeOnlineStream(recognizer_->handle_, handle_);
}

QString RecognitionStream::text()
{
    const SherpaOnnxOnlineRecognizerResult* result = SherpaOnnxGetOnlineStreamResult(recognizer_->handle_, handle_);
    QString text;
    if (result && result->text)
        text = QString::fromUtf8(result->text).trimmed();
    SherpaOnnxDestroyOnlineRecognizerResult(result);
    return text;
}

QString RecognitionStream::finish()
{
    if (!finished_) {
        // A tail whose sample count is not finite, negative or beyond a 32-bit count adds nothing.
        const double tail = recognizer_->config().tailSeconds * Recognizer::sampleRate;
        if (tail >= 1.0 && tail <= double(std::numeric_limits<int32_t>::max()))
            feedSilence(static_cast<qint64>(tail));
        SherpaOnnxOnlineStreamInputFinished(handle_);
        finished_ = true;
    }
    decode();
    return text();
}

void RecognitionStream::finish(std::function<void(const QString&)> completion)
{
    const QString final = finish();
    if (completion)
        completion(final);
}

void RecognitionStream::cancel()
{
    finished_ = true;
}

void RecognitionStream::feed(std::span<const float> samples)
{
    forEachInt32Piece(samples, [this](const float* piece, int32_t count) {
        SherpaOnnxOnlineStreamAcceptWaveform(handle_, Recognizer::sampleRate, piece, count);
    });
}

void RecognitionStream::feedSilence(qint64 count)
{
    // One second of zeros at a time keeps memory flat however long the tail.
    static const std::vector<float> zeros(Recognizer::sampleRate, 0.0f);
    while (count > 0) {
        const qint64 block = std::min<qint64>(count, qint64(zeros.size()));
        feed(std::span(zeros.data(), size_t(block)));
        count -= block;
    }
}
