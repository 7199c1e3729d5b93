// The local recogniser against the real speech library, with the synthetic transducer: greedy
// ("transducer") and byte-pair with beam search ("transducer-bpe"). Noise reads "HELLO WORLD";
// the hotword "WORD" turns it into "HELLO WORD" when hotwords reach the library.

#include "FailureOf.h"
#include "LogLines.h"
#include "Recognition/Int32Pieces.h"
#include "Recognition/Recognizer.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>

// Readable texts in failure messages.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

std::shared_ptr<Recognizer> load(const QString& folder)
{
    return std::make_shared<Recognizer>(RecognizerConfig(folder));
}

QString dictate(Recognizer& recognizer, const QStringList& hotwords)
{
    const auto stream = recognizer.makeStream(hotwords);
    stream->accept(TestAudio::noise(1.0));
    stream->decode();
    return stream->finish();
}

// A copy of a synthetic model folder without some of its files.
QString copyWithout(const QTemporaryDir& dir, const QString& from, const QStringList& left)
{
    const QString to = dir.filePath(QStringLiteral("model"));
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        if (!left.contains(name))
            QFile::copy(from + u'/' + name, to + u'/' + name);
    }
    return to;
}

// None of the tuning variables set, whatever the environment of the test run.
class RecognizerTest : public testing::Test {
    ScopedEnvironment noDecoding{"QUILLMARSH_DECODING", std::nullopt};
    ScopedEnvironment noBeam{"QUILLMARSH_BEAM", std::nullopt};
    ScopedEnvironment noScore{"QUILLMARSH_HOTWORDS_SCORE", std::nullopt};
    ScopedEnvironment noTail{"QUILLMARSH_TAIL_SECONDS", std::nullopt};
    ScopedEnvironment noThreads{"QUILLMARSH_THREADS", std::nullopt};
};

}

TEST_F(RecognizerTest, ReportsTheFirstMissingFileInOrder)
{
    QTemporaryDir dir;
    const QString folder = copyWithout(dir, TestModels::transducer(), {"encoder.data", "decoder.onnx"});
    try {
        load(folder);
        FAIL() << "loaded without its files";
    } catch (const RecognizerError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("model file not found: ") + folder
                                           + QStringLiteral("/encoder.data (set QUILLMARSH_MODEL_DIR)"));
    }
}

TEST_F(RecognizerTest, ByteVocabularyFolderUsesBeamSearchAndHotwordsScoredFromTheEnvironment)
{
    EXPECT_EQ(load(TestModels::transducerBpe())->decodingMethod(), QStringLiteral("modified_beam_search"));
    // An unusable score falls back to 1.5, strong enough for "WORD"; 0.1 is too weak.
    for (const auto& [score, expected] : {std::pair{"", "HELLO WORD"},
                                          {"0.1", "HELLO WORLD"},
                                          {"strong", "HELLO WORD"},
                                          {"nan", "HELLO WORD"},
                                          {"inf", "HELLO WORD"}}) {
        ScopedEnvironment environment("QUILLMARSH_HOTWORDS_SCORE", QString::fromLatin1(score));
        EXPECT_EQ(dictate(*load(TestModels::transducerBpe()), {QStringLiteral("WORD")}), QLatin1String(expected))
            << score;
    }
}

TEST_F(RecognizerTest, DecodingChoiceFromTheEnvironment)
{
    LogLines log;
    {
        ScopedEnvironment greedy("QUILLMARSH_DECODING", QStringLiteral("greedy_search"));
        const auto recognizer = load(TestModels::transducerBpe());
        EXPECT_EQ(recognizer->decodingMethod(), QStringLiteral("greedy_search"));
        EXPECT_EQ(dictate(*recognizer, {QStringLiteral("WORD")}), QStringLiteral("HELLO WORLD"));
    }
    ScopedEnvironment beam("QUILLMARSH_DECODING", QStringLiteral("modified_beam_search"));
    EXPECT_EQ(load(TestModels::transducer())->decodingMethod(), QStringLiteral("modified_beam_search"));
    // The library would end the process on a method it doesn't know.
    for (const char* unknown : {"beam", "", "GREEDY_SEARCH"}) {
        ScopedEnvironment typo("QUILLMARSH_DECODING", QString::fromLatin1(unknown));
        EXPECT_EQ(load(TestModels::transducerBpe())->decodingMethod(), QStringLiteral("modified_beam_search"))
            << unknown;
        EXPECT_EQ(load(TestModels::transducer())->decodingMethod(), QStringLiteral("greedy_search")) << unknown;
    }
    EXPECT_TRUE(log.mentions(QStringLiteral("unknown decoding method ignored (QUILLMARSH_DECODING=beam)")));
}

TEST_F(RecognizerTest, BeamIsUsedAsGivenWhenItParses)
{
    // Too wide a beam would stall every decode.
    for (const char* unparsable : {"8", "wide", "99999999999", "8 ", "65", "2147483647"}) {
        ScopedEnvironment beam("QUILLMARSH_BEAM", QString::fromLatin1(unparsable));
        EXPECT_EQ(dictate(*load(TestModels::transducerBpe()), {}), QStringLiteral("HELLO WORLD")) << unparsable;
    }
    ScopedEnvironment negative("QUILLMARSH_BEAM", QStringLiteral("-1"));
    EXPECT_EQ(failureOf<RecognizerError>([] { load(TestModels::transducerBpe()); }),
              RecognizerError::Kind::createFailed)
        << "a negative beam reaches the library, which refuses it";
}

// Each of these entries used to end the process inside the library's hotword parser.
TEST_F(RecognizerTest, HandTypedHotwordsAreCleanedBeforeTheLibrarySeesThem)
{
    const auto recognizer = load(TestModels::transducerBpe());
    const QStringList risky{QStringLiteral(":)"),  QStringLiteral("smile :)"), QStringLiteral("C#"),
                            QStringLiteral("a/b"), QStringLiteral("#tag"),     QStringLiteral("x\n:y")};
    EXPECT_EQ(dictate(*recognizer, risky), QStringLiteral("HELLO WORLD"));
    EXPECT_EQ(dictate(*recognizer, risky + QStringList{QStringLiteral("WORD")}), QStringLiteral("HELLO WORD"));
    EXPECT_EQ(dictate(*recognizer, {QStringLiteral("WORD :abc")}), QStringLiteral("HELLO WORD"))
        << "a score marker that isn't a number is taken as words";
    EXPECT_EQ(dictate(*recognizer, {QStringLiteral("WORD :")}), QStringLiteral("HELLO WORD"));
}

TEST_F(RecognizerTest, GreedyRecognizerDictatesWithoutTheVocabulary)
{
    // A hotword stream on greedy search would end the process at its first decode.
    const auto recognizer = load(TestModels::transducer());
    {
        LogLines log;
        dictate(*recognizer, {});
        dictate(*recognizer, {QStringLiteral("#"), QStringLiteral(" : / ")});
        EXPECT_FALSE(log.mentions(QStringLiteral("rejected the vocabulary"))) << "no word remained";
    }
    LogLines log;
    EXPECT_EQ(dictate(*recognizer, {QStringLiteral("WORD")}), QStringLiteral("HELLO WORLD"));
    EXPECT_TRUE(log.mentions(QStringLiteral("the engine rejected the vocabulary; dictating without it")));
}

TEST_F(RecognizerTest, FinishEndsTheInputOnceAndCancelDropsLaterAudio)
{
    const auto recognizer = load(TestModels::transducer());
    const auto stream = recognizer->makeStream({});
    stream->accept(TestAudio::noise(1.0));
    stream->decode();
    EXPECT_EQ(stream->text(), QStringLiteral("HELLO WORLD"));
    EXPECT_EQ(stream->finish(), QStringLiteral("HELLO WORLD"));
    EXPECT_EQ(stream->finish(), QStringLiteral("HELLO WORLD"));
    EXPECT_EQ(recognizer->transcribe({}), QString());

    const auto cancelled = recognizer->makeStream({});
    cancelled->cancel();
    cancelled->accept(TestAudio::noise(1.0));
    cancelled->decode();
    EXPECT_EQ(cancelled->finish(), QString());
}

// The library would end the process on these lines while loading.
TEST_F(RecognizerTest, ModelTextFilesTheLibraryCantParseFailTheLoad)
{
    const auto loadsWith = [](const char* name, const QByteArray& appended) {
        QTemporaryDir dir;
        const QString folder = copyWithout(dir, TestModels::transducerBpe(), {});
        const QString path = folder + u'/' + QLatin1String(name);
        writeFile(path, readFile(path) + appended);
        try {
            return std::make_shared<Recognizer>(RecognizerConfig(folder))->transcribe(TestAudio::noise(1.0))
                   == "HELLO WORLD";
        } catch (const RecognizerError& error) {
            EXPECT_EQ(error.kind(), RecognizerError::Kind::createFailed);
            return false;
        }
    };
    EXPECT_TRUE(loadsWith("bpe.vocab", "X\t-3 extra\n"));
    EXPECT_FALSE(loadsWith("bpe.vocab", "\n")) << "an empty line";
    EXPECT_FALSE(loadsWith("bpe.vocab", "X\n"));
    EXPECT_TRUE(loadsWith("tokens.txt", "\n\n"));
    EXPECT_FALSE(loadsWith("tokens.txt", "X 10 extra\n"));

    ScopedEnvironment greedy("QUILLMARSH_DECODING", QStringLiteral("greedy_search"));
    EXPECT_TRUE(loadsWith("bpe.vocab", "\n")) << "greedy search never reads the byte-pair vocabulary";
}

TEST_F(RecognizerTest, ThreadCountsTheLibraryCantTakeFailTheLoadAndUnfeedableTailsAddNoSilence)
{
    for (int threads : {1'000'000, -1}) {
        RecognizerConfig config(TestModels::transducer());
        config.threads = threads;
        EXPECT_THROW(std::make_shared<Recognizer>(config), RecognizerError) << threads;
    }
    for (double tail : {std::nan(""), -1.0, 1e30, 0.0}) {
        RecognizerConfig config(TestModels::transducer());
        config.tailSeconds = tail;
        EXPECT_EQ(std::make_shared<Recognizer>(config)->transcribe(TestAudio::silence(1.0)), QString()) << tail;
    }
}

TEST(RecognizerHotwords, UsableDropsLatinOnlyForModelsWithoutLatinPieces)
{
    const QStringList words{QStringLiteral("zoom"), QStringLiteral("\u0633\u0644\u0627\u0645"),
                            QStringLiteral("caf\u00E9"), QStringLiteral("\u00E9"), QStringLiteral("123")};
    EXPECT_EQ(Recognizer::usable(words, true), words);
    EXPECT_EQ(Recognizer::usable(words, false),
              QStringList({QStringLiteral("\u0633\u0644\u0627\u0645"), QStringLiteral("123")}));

    // Latin pieces are ASCII letters outside special tokens.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tokens.txt"));
    const auto tokensWith = [&](const QByteArray& content) {
        writeFile(path, content);
        return Recognizer::hasLatinPieces(path);
    };
    EXPECT_FALSE(tokensWith("<blk> 0\n<unk> 1\n\xE2\x96\x81\xD8\xB3 2\n\n"));
    EXPECT_FALSE(tokensWith("abc\n\xC3\xA9 1\n")) << "no space, or only an accented letter";
    EXPECT_TRUE(tokensWith("<blk> 0\n\xE2\x96\x81HELLO 1\n"));
    EXPECT_TRUE(tokensWith("a b 7\n")) << "the piece is everything before the last space";
    EXPECT_FALSE(tokensWith("\xE2\x96\x81HELLO 1\n\xFF\xFE 2\n")) << "a list that is not UTF-8 is unreadable";
    EXPECT_FALSE(Recognizer::hasLatinPieces(dir.filePath(QStringLiteral("missing.txt"))));
}

TEST(RecognizerSamples, LongBuffersGoOverInThirtyTwoBitPieces)
{
    // Address space only: the pieces are counted, never read.
    const size_t total = size_t(std::numeric_limits<int32_t>::max()) * 2 + 5;
    void* region = mmap(nullptr, total * sizeof(float), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(region, MAP_FAILED);
    const std::span<const float> samples(static_cast<const float*>(region), total);
    std::vector<std::pair<const float*, int32_t>> pieces;
    forEachInt32Piece(samples, [&](const float* data, int32_t count) { pieces.emplace_back(data, count); });
    munmap(region, total * sizeof(float));

    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].second, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(pieces[1].first, samples.data() + std::numeric_limits<int32_t>::max());
    EXPECT_EQ(pieces[2].second, 5);
    forEachInt32Piece({}, [&](const float*, int32_t) { ADD_FAILURE() << "a piece of nothing"; });
}

// Runs only when QUILLMARSH_TEST_MODEL_DIR names a folder with a real model.
TEST_F(RecognizerTest, RealModelLoadsAndDecodes)
{
    const QString folder = qEnvironmentVariable("QUILLMARSH_TEST_MODEL_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        GTEST_SKIP() << "set QUILLMARSH_TEST_MODEL_DIR to a model folder";
    const auto recognizer = load(folder);
    const auto stream = recognizer->makeStream({QStringLiteral("\u0633\u0644\u0627\u0645")});
    stream->accept(TestAudio::silence(1.0));
    EXPECT_EQ(stream->finish(), QString()) << "silence reads as nothing";
    EXPECT_NO_THROW(recognizer->transcribe(TestAudio::noise(2.0)));
}

TEST_F(RecognizerTest, ItsHelperThreadsKeepOrdinaryPriority)
{
    // Ordinary is what the thread that made the recogniser runs at: the test itself may run under nice.
    const int ordinary = getpriority(PRIO_PROCESS, 0);
    const auto recognizer = std::make_shared<Recognizer>(RecognizerConfig(TestModels::transducer()));
    const QStringList threads = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_GT(threads.size(), 1);
    for (const QString& thread : threads) {
        const pid_t id = thread.toInt();
        EXPECT_EQ(sched_getscheduler(id), SCHED_OTHER) << "thread " << id;
        EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(id)), ordinary) << "thread " << id;
    }
}

// Processor time, in milliseconds, that every thread but this one has used so far.
static double othersProcessorMs()
{
    double total = 0;
    const QString self = QString::number(gettid());
    for (const QString& thread : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stats(QStringLiteral("/proc/self/task/%1/schedstat").arg(thread));
        if (thread != self && stats.open(QIODevice::ReadOnly))
            total += stats.readAll().split(' ').value(0).toDouble() / 1e6;
    }
    return total;
}

// Busy-waiting for more work after the finish would hold processors the application receiving
// the words needs just then, and keep them busy after every keep-warm run.
TEST_F(RecognizerTest, ItsHelperThreadsStopWaitingForWorkSoonAfterACall)
{
    // The model whose encoder costs what a real one does: the runtime shares its work out.
    const auto recognizer = std::make_shared<Recognizer>(RecognizerConfig(TestModels::transducerBench()));
    dictate(*recognizer, {});
    waitUntil([] { return false; }, std::chrono::milliseconds(20));
    const double before = othersProcessorMs();
    waitUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_LT(othersProcessorMs() - before, 20.0) << "ms of processor time in the 200 ms after a decode";
}
