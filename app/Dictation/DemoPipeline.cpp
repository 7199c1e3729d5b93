#include "DemoPipeline.h"

#include "Cloud/SpeechRouter.h"
#include "Core/Error.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Main/AppModel.h"
#include "Models/ModelStore.h"
#include "Punctuation/PunctuationStore.h"
#include "Punctuation/Punctuator.h"
#include "Recognition/ModelHost.h"
#include "Recognition/Recognizer.h"
#include "Setup/ModelSetup.h"
#include "Snippets/SnippetStore.h"
#include "Sound/AudioFile.h"
#include "Vocabulary/VocabularyStore.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

// The synthetic models the build makes for its tests: enough to run the pipeline end to end.
const QString buildModels = QStringLiteral(QUILLMARSH_BUILD_TEST_MODELS);

void print(const QString& line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString recognise(const DemoPipeline::Parts& parts, const std::vector<float>& samples)
{
    const std::shared_ptr<SpeechStream> stream = parts.router.openStream(parts.model.vocabulary()->hotwords());
    constexpr size_t chunk = Recognizer::sampleRate / 10;  // the microphone's 0.1 s blocks
    for (size_t start = 0; start < samples.size(); start += chunk) {
        stream->accept(std::span(samples).subspan(start, std::min(chunk, samples.size() - start)));
        stream->decode();
    }
    // The final text may come at once or later, from the stream's own thread via the main loop.
    std::optional<QString> text;
    QEventLoop loop;
    stream->finish([&](const QString& final) {
        text = final;
        loop.quit();
    });
    if (!text)
        loop.exec();
    return *text;
}

}

QString DemoPipeline::speechModelFolder(const AppModel& model)
{
    if (const auto folder = ModelStore::overrideDir())
        return *folder;
    if (const auto package = ModelPackage::fromRawValue(model.modelPackage());
        package && ModelStore::isInstalled(*package))
        return ModelStore::directory(*package);
    const QString synthetic = buildModels + QStringLiteral("/transducer");
    return QDir(synthetic).exists() ? synthetic : QString();
}

QString DemoPipeline::punctuationFolder()
{
    if (PunctuationStore::isInstalled())
        return PunctuationStore::directory();
    const QString synthetic = buildModels + QStringLiteral("/punctuation");
    return QFile::exists(synthetic + QLatin1Char('/') + PunctuationStore::modelFile) ? synthetic : QString();
}

int DemoPipeline::run(const Parts& parts, const QString& audioPath)
{
    const QString modelFolder = speechModelFolder(parts.model);
    if (modelFolder.isEmpty()) {
        std::fprintf(stderr, "demo: no speech model: install one, or set QUILLMARSH_MODEL_DIR\n");
        return 1;
    }
    try {
        const std::vector<float> samples = AudioFile::load16kMono(audioPath);
        print(QStringLiteral("speech model: ") + modelFolder);
        parts.models.host().load(RecognizerConfig(modelFolder));
        QEventLoop loading;
        while (parts.models.host().state().kind == ModelHost::State::Kind::loading)
            loading.processEvents(QEventLoop::WaitForMoreEvents);
        if (parts.models.host().state().kind != ModelHost::State::Kind::ready)
            throw Error(parts.models.host().state().error);

        const QString recognised = parts.model.vocabulary()->writtenForms().apply(recognise(parts, samples));
        QString text = recognised;
        const QString punctuationModel = punctuationFolder();
        if (parts.model.punctuation() && !punctuationModel.isEmpty()) {
            print(QStringLiteral("punctuation model: ") + punctuationModel);
            text = Punctuator(punctuationModel, 2, Punctuator::defaultLabelBias).punctuate(text);
        }
        if (const auto expansion = parts.model.snippets()->expand(text))
            text = expansion->text;

        const QDateTime now = QDateTime::currentDateTime();
        const double seconds = double(samples.size()) / Recognizer::sampleRate;
        parts.model.stats()->record(text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), seconds, now);
        if (parts.model.historyEnabled())
            parts.model.history()->add(HistoryEntry(QUuid::createUuid(), now, recognised, text));
        print(QStringLiteral("text: ") + text);
        // The demo ends once its records are saved, or once a store says why they aren't.
        const auto waiting = [&](const auto& store) { return store.unsavedChanges() > 0 && store.problem().isEmpty(); };
        QEventLoop saving;
        while (waiting(*parts.model.stats()) || waiting(*parts.model.history()))
            saving.processEvents(QEventLoop::WaitForMoreEvents);
        // The text came through, but what wasn't kept is a failure all the same.
        QStringList notKept;
        for (const QString& problem : {parts.model.stats()->problem(), parts.model.history()->problem()}) {
            if (!problem.isEmpty())
                notKept.append(problem);
        }
        for (const QString& failure : std::as_const(notKept))
            std::fprintf(stderr, "demo: %s\n", qPrintable(failure));
        return notKept.isEmpty() ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "demo: %s\n", error.what());
        return 1;
    }
}
