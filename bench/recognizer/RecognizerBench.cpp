// The cost of our recognition stream over the bare library calls: the same minute of audio
// (a second of noise, a second of silence, in turn) through RecognitionStream in 0.1 s blocks
// (accept, decode, text; then finish) and through a plain loop of the C calls doing the same
// library work. Rounds alternate between the two so drift in the machine hits both alike.

#include "Recognition/Recognizer.h"
#include "SpeechLibraries/SherpaOnnxApi.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr size_t blockSize = 1600;  // 0.1 s
constexpr int rounds = 41;

// The synthetic model reads noise as words and silence as nothing.
std::vector<float> minuteOfSpeechAndPauses()
{
    std::mt19937 generator(42);
    std::uniform_real_distribution<float> amplitude(-0.3f, 0.3f);
    std::vector<float> noise(16000);
    for (float& sample : noise)
        sample = amplitude(generator);
    const std::vector<float> silence(16000, 0.0f);
    std::vector<float> audio;
    for (int second = 0; second < 30; ++second) {
        audio.insert(audio.end(), noise.begin(), noise.end());
        audio.insert(audio.end(), silence.begin(), silence.end());
    }
    return audio;
}

std::string ours(Recognizer& recognizer, const std::vector<float>& audio)
{
    const auto stream = recognizer.makeStream({});
    std::span<const float> rest(audio);
    while (!rest.empty()) {
        const size_t count = std::min(blockSize, rest.size());
        stream->accept(rest.first(count));
        stream->decode();
        (void)stream->text();
        rest = rest.subspan(count);
    }
    return stream->finish().toStdString();
}

std::string readText(const SherpaOnnxOnlineRecognizer* recognizer, const SherpaOnnxOnlineStream* stream)
{
    const SherpaOnnxOnlineRecognizerResult* result = SherpaOnnxGetOnlineStreamResult(recognizer, stream);
    std::string text = result->text;
    SherpaOnnxDestroyOnlineRecognizerResult(result);
    return text;
}

std::string raw(const SherpaOnnxOnlineRecognizer* recognizer, const std::vector<float>& audio, double tailSeconds)
{
    const SherpaOnnxOnlineStream* stream = SherpaOnnxCreateOnlineStream(recognizer);
    SherpaOnnxOnlineStreamSetOption(stream, "language", "fa-IR");
    const std::vector<float> leadIn(2640, 0.0f);
    SherpaOnnxOnlineStreamAcceptWaveform(stream, 16000, leadIn.data(), int32_t(leadIn.size()));
    for (size_t start = 0; start < audio.size(); start += blockSize) {
        const size_t count = std::min(blockSize, audio.size() - start);
        SherpaOnnxOnlineStreamAcceptWaveform(stream, 16000, audio.data() + start, int32_t(count));
        while (SherpaOnnxIsOnlineStreamReady(recognizer, stream))
            SherpaOnnxDecodeOnlineStream(recognizer, stream);
        (void)readText(recognizer, stream);
    }
    const std::vector<float> tail(size_t(tailSeconds * 16000), 0.0f);
    SherpaOnnxOnlineStreamAcceptWaveform(stream, 16000, tail.data(), int32_t(tail.size()));
    SherpaOnnxOnlineStreamInputFinished(stream);
    while (SherpaOnnxIsOnlineStreamReady(recognizer, stream))
        SherpaOnnxDecodeOnlineStream(recognizer, stream);
    std::string text = readText(recognizer, stream);
    SherpaOnnxDestroyOnlineStream(stream);
    return text;
}

const SherpaOnnxOnlineRecognizer* rawRecognizer(const RecognizerConfig& config)
{
    const QByteArray dir = QFile::encodeName(config.modelDir);
    const QByteArray encoder = dir + "/encoder.onnx", decoder = dir + "/decoder.onnx", joiner = dir + "/joiner.onnx",
                     tokens = dir + "/tokens.txt";
    SherpaOnnxOnlineRecognizerConfig native{};
    native.feat_config = {16000, 128};
    native.model_config.transducer = {encoder.constData(), decoder.constData(), joiner.constData()};
    native.model_config.tokens = tokens.constData();
    native.model_config.num_threads = config.threads;
    native.model_config.provider = "cpu";
    native.decoding_method = "greedy_search";
    native.max_active_paths = 4;
    return SherpaOnnxCreateOnlineRecognizer(&native);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <class Run>
double secondsOf(Run&& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qunsetenv("QUILLMARSH_DECODING");
    const RecognizerConfig config(QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer"));
    const auto recognizer = std::make_shared<Recognizer>(config);
    const SherpaOnnxOnlineRecognizer* bare = rawRecognizer(config);
    const std::vector<float> audio = minuteOfSpeechAndPauses();

    // Both paths must do the same work to be compared.
    const std::string oursText = ours(*recognizer, audio), rawText = raw(bare, audio, config.tailSeconds);
    if (oursText != rawText) {
        std::printf("results differ: ours \"%s\", raw \"%s\"\n", oursText.c_str(), rawText.c_str());
        return 1;
    }

    std::vector<double> oursTimes, rawTimes;
    for (int round = 0; round < rounds; ++round) {
        const auto timeOurs = [&] { oursTimes.push_back(secondsOf([&] { ours(*recognizer, audio); })); };
        const auto timeRaw = [&] { rawTimes.push_back(secondsOf([&] { raw(bare, audio, config.tailSeconds); })); };
        if (round % 2 == 0) {
            timeOurs();
            timeRaw();
        } else {
            timeRaw();
            timeOurs();
        }
    }
    SherpaOnnxDestroyOnlineRecognizer(bare);

    // The median of the ratios of neighbouring runs: a round disturbed by another process on
    // the machine, or a slow drift in its speed, doesn't sway the result.
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round)
        ratios.push_back(oursTimes[round] / rawTimes[round]);
    std::printf("%d rounds each of %.0f s of audio in 0.1 s blocks\n", rounds, double(audio.size()) / 16000);
    std::printf("median per round: ours %.4f s, raw %.4f s\n", median(oursTimes), median(rawTimes));
    std::printf("ratio=%.3f\n", median(ratios));
    return 0;
}
