#include "SeedData.h"

#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Snippets/SnippetStore.h"
#include "Style/StylePolicy.h"
#include "VocabularyStore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
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

// Two applications with a style of their own, installed in the user's application folder with
// a plain coloured square for an icon.
struct SampleApp {
    const char* desktopId;
    const char* name;
    const char* colour;
    DictationStyle style;
};

const SampleApp styledApps[] = {
    {"org.telegram.desktop", "Telegram", "#2AABEE", DictationStyle::formal},
    {"libreoffice-writer", "LibreOffice Writer", "#2C71B8", DictationStyle::asSpoken},
};

void installSampleApps(Settings& settings)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(data + QStringLiteral("/applications"));
    StylePolicy policy = StylePolicy::standard();
    for (const SampleApp& app : styledApps) {
        const QString id = QString::fromLatin1(app.desktopId);
        const QString icon = data + QStringLiteral("/") + id + QStringLiteral(".svg");
        QFile iconFile(icon);
        if (iconFile.open(QIODevice::WriteOnly))
            iconFile.write(
                QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 48 48\">"
                               "<rect x=\"2\" y=\"2\" width=\"44\" height=\"44\" rx=\"11\" fill=\"%1\"/></svg>")
                    .arg(QLatin1String(app.colour))
                    .toUtf8());
        QFile entry(data + QStringLiteral("/applications/") + id + QStringLiteral(".desktop"));
        if (entry.open(QIODevice::WriteOnly))
            entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nIcon=%2\nExec=true\n")
                            .arg(QString::fromUtf8(app.name), icon)
                            .toUtf8());
        policy.byApp[id] = app.style;
    }
    policy.save(settings);
}

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

    installSampleApps(settings);
    settings.setValue(QStringLiteral("keepClips"), true);
}

AuthSession SeedData::accountSession(const QDateTime& now)
{
    const auto part = [](const QByteArray& bytes) {
        return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    };
    const QByteArray payload = R"({"email":"sara.ahmadi@example.com","user_metadata":{"full_name":"Sara Ahmadi"},)"
                               R"("app_metadata":{"provider":"google"}})";
    AuthSession session;
    session.accessToken = QString::fromLatin1(part(R"({"alg":"none"})") + '.' + part(payload) + ".sample");
    session.refreshToken = QStringLiteral("sample");
    session.expiresAt = now.toSecsSinceEpoch() + 3600;
    session.userID = QStringLiteral("sample-user");
    session.email = QStringLiteral("sara.ahmadi@example.com");
    return session;
}
