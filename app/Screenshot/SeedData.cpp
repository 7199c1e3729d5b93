#include "SeedData.h"

#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Snippets/SnippetStore.h"
#include "VocabularyStore.h"

#include <QTimeZone>

#include <cmath>
#include <ranges>
#include <vector>

namespace {

struct SampleDictation {
    int minutesAgo;
    const char* raw;
    const char* text;  // as improved; empty when the text stayed as recognised
    const char* bundleID;
    const char* appName;
    const char* style;
    AppCategory category;
};

const SampleDictation dictations[] = {
    {4, "سلام علی جان فردا ساعت ده جلسه داریم لطفا گزارش رو بیار",
     "سلام علی جان، فردا ساعت ده جلسه داریم. لطفاً گزارش را بیاور.", "org.telegram.desktop", "Telegram", "clean",
     AppCategory::messaging},
    {38, "please send the invoice to the client before friday", "Please send the invoice to the client before Friday.",
     "org.mozilla.thunderbird", "Thunderbird", "formal", AppCategory::email},
    {95, "این قسمت از کد رو باید refactor کنیم", "", "code", "Code", "", AppCategory::code},
    {60 * 26, "یادداشت برای جلسه هفته بعد بودجه و زمان بندی", "", "libreoffice-writer", "LibreOffice Writer", "",
     AppCategory::documents},
    {60 * 50, "the meeting moved to three thirty", "The meeting moved to 3:30.", "slack", "Slack", "clean",
     AppCategory::messaging},
};

std::vector<float> toneSeconds(double seconds)
{
    std::vector<float> samples(static_cast<size_t>(seconds * ClipVault::sampleRate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.2f * static_cast<float>(std::sin(2 * M_PI * 220 * double(i) / ClipVault::sampleRate));
    return samples;
}

}

void SeedData::write(Settings& settings, const QDateTime& now)
{
    HistoryStore history(HistoryStore::defaultURL());
    ClipVault vault(ClipVault::defaultFolder());
    // The store keeps the newest first: add the oldest first.
    for (const SampleDictation& sample : std::views::reverse(dictations)) {
        const QString text = QString::fromUtf8(sample.text);
        const QString style = QString::fromUtf8(sample.style);
        history.add(HistoryEntry(QUuid::createUuid(), now.addSecs(-60 * sample.minutesAgo),
                                 QString::fromUtf8(sample.raw), text.isEmpty() ? std::nullopt : std::optional(text),
                                 QString::fromUtf8(sample.bundleID), QString::fromUtf8(sample.appName),
                                 style.isEmpty() ? std::nullopt : std::optional(style)));
    }
    // The newest entry keeps its recording and has shared it.
    const QUuid newest = history.entries().first().id;
    vault.save(toneSeconds(1.5), newest);
    history.setClipCode(newest, QStringLiteral("QM-7F3K"));

    UsageStats stats(UsageStats::defaultURL(), QTimeZone::systemTimeZone());
    const int wordsPerDay[] = {120, 340, 0, 510, 260, 780, 430};
    for (int day = 0; day < 7; ++day) {
        const int words = wordsPerDay[day];
        for (int dictation = 0; dictation < words / 40; ++dictation)
            stats.record(40, 16.0, now.addDays(day - 6));
    }

    SnippetStore snippets(SnippetStore::defaultURL());
    snippets.add(QStringLiteral("my address"), QStringLiteral("No. 12, Golestan St., Tehran"), false);
    snippets.add(QStringLiteral("امضای من"), QStringLiteral("با احترام،\nسارا"), true);

    VocabularyStore vocabulary(VocabularyStore::defaultURL());
    for (const char* term : {"Quillmarsh", "Kubernetes", "سارا رحیمی", "PostgreSQL"})
        vocabulary.add(QString::fromUtf8(term), VocabularyEntry::Source::you);

    settings.setValue(QStringLiteral("keepClips"), true);
}
