#include "SeedData.h"

#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Main/AppModel.h"
#include "Snippets/SnippetStore.h"
#include "Style/StylePolicy.h"
#include "Vocabulary/VocabularyStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTimeZone>

#include <cmath>
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

// The long set's newest dictation: a long application name, and an improved text too long for the
// detail to show without scrolling.
const SampleDictation longDictation = {
    1,
    "سلام به همه دوستان تیم طراحی جلسه بررسی "
    "نقشه راه فصل بعد فردا ساعت ده صبح در "
    "اتاق بزرگ برگزار میشه لطفا گزارش پیشرفت "
    "هر پروژه رو تا امشب در پوشه مشترک بذارید "
    "تا قبل از جلسه همه بتونن بخونن اگر کسی "
    "نمیتونه حضوری بیاد لینک تماس تصویری رو "
    "براش میفرستم و یادداشت های جلسه رو هم "
    "بعدا برای همه میفرستم",
    "سلام به همه‌ی دوستان تیم طراحی؛ جلسه‌ی "
    "بررسی نقشه‌ی راه فصل بعد، فردا ساعت ده "
    "صبح در اتاق بزرگ برگزار می‌شود. لطفاً "
    "گزارش پیشرفت هر پروژه را تا امشب در "
    "پوشه‌ی مشترک بگذارید تا پیش از جلسه همه "
    "بتوانند آن را بخوانند. اگر کسی نمی‌تواند "
    "حضوری بیاید، پیوند تماس تصویری را برایش "
    "می‌فرستم و یادداشت‌های جلسه را هم بعداً "
    "برای همه می‌فرستم.",
    "org.mozilla.thunderbird-esr",
    "Thunderbird Mail and Calendar Extended Support Release",
    "formal",
    AppCategory::email,
};

// The long set's snippets: phrases at the store's cap, and texts far longer than a card shows.
const char* const longSnippets[][2] = {
    {"send the quarterly planning summary to the whole design team",
     "Hello everyone, here is the quarterly planning summary for the design team. It covers the roadmap "
     "for the next three months, the budget we agreed on with finance, the hiring plan for two new "
     "designers, and the dates of the reviews with each product group. Please read it before Thursday and "
     "send me your questions so that we can go through them together at the start of the meeting."},
    {"امضای رسمی من با نشانی دفتر و شماره تماس برای نامه‌های اداری",
     "با سپاس و احترام، سارا احمدی، مدیر طراحی "
     "محصول، دفتر مرکزی تهران، خیابان ولیعصر، "
     "بالاتر از میدان ونک، کوچه‌ی گلستان، پلاک "
     "دوازده، طبقه‌ی سوم. تلفن: ۰۲۱۸۸۷۷۶۶۵۵ و "
     "نشانی پست الکترونیکی برای نامه‌های اداری "
     "و قراردادها. لطفاً پیش از هر جلسه با "
     "دفتر هماهنگ کنید."},
};

// A vocabulary entry near the store's cap, in Persian.
const char* const longWord = "دانشگاه علوم پزشکی و خدمات بهداشتی درمانی شهید بهشتی تهران";

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

// The long set's third, named as long as the desktop entry of the long dictation's application.
const SampleApp longNamedApp = {"org.mozilla.thunderbird-esr", longDictation.appName, "#0A84FF", DictationStyle::clean};

void installSampleApps(Settings& settings, SeedData::Sample sample)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(data + QStringLiteral("/applications"));
    StylePolicy policy = StylePolicy::standard();
    std::vector<SampleApp> apps(std::begin(styledApps), std::end(styledApps));
    if (sample == SeedData::Sample::longTexts)
        apps.push_back(longNamedApp);
    for (const SampleApp& app : apps) {
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

void addDictation(HistoryStore& history, const SampleDictation& sample, const QDateTime& now)
{
    const QString text = QString::fromUtf8(sample.text);
    const QString style = QString::fromUtf8(sample.style);
    history.add(HistoryEntry(QUuid::createUuid(), now.addSecs(-60 * sample.minutesAgo), QString::fromUtf8(sample.raw),
                             text.isEmpty() ? std::nullopt : std::optional(text), QString::fromUtf8(sample.bundleID),
                             QString::fromUtf8(sample.appName), style.isEmpty() ? std::nullopt : std::optional(style)));
}

}

std::optional<SeedData::Sample> SeedData::sampleNamed(const QString& name)
{
    if (name == QLatin1String("usual"))
        return Sample::usual;
    if (name == QLatin1String("long"))
        return Sample::longTexts;
    return std::nullopt;
}

void SeedData::write(Settings& settings, const QDateTime& now, Sample sample)
{
    const bool longTexts = sample == Sample::longTexts;
    HistoryStore history(HistoryStore::defaultURL());
    ClipVault vault(ClipVault::defaultFolder());
    // The store keeps the newest first: add the oldest first.
    for (auto dictation = std::rbegin(dictations); dictation != std::rend(dictations); ++dictation)
        addDictation(history, *dictation, now);
    // The newest usual entry keeps its recording and has shared it.
    const QUuid shared = history.entries().first().id;
    vault.save(toneSeconds(1.5), shared);
    history.setClipCode(shared, QStringLiteral("QM-7F3K"));
    if (longTexts)
        addDictation(history, longDictation, now);

    UsageStats stats(UsageStats::defaultURL(), QTimeZone::systemTimeZone());
    const int wordsPerDay[] = {120, 340, 0, 510, 260, 780, 430};
    for (int day = 0; day < 7; ++day) {
        const int words = wordsPerDay[day];
        for (int dictation = 0; dictation < words / 40; ++dictation)
            stats.record(40, 16.0, now.addDays(day - 6));
    }

    // The page opens on the first snippet: a long one, when the set has them.
    SnippetStore snippets(SnippetStore::defaultURL());
    if (longTexts)
        for (const auto& [trigger, text] : longSnippets)
            snippets.add(QString::fromUtf8(trigger), QString::fromUtf8(text), false);
    snippets.add(QStringLiteral("my address"), QStringLiteral("No. 12, Golestan St., Tehran"), false);
    snippets.add(QStringLiteral("امضای من"), QStringLiteral("با احترام،\nسارا"), true);

    // The newest word is listed first.
    VocabularyStore vocabulary(VocabularyStore::defaultURL());
    for (const char* term : {"Quillmarsh", "Kubernetes", "سارا رحیمی", "PostgreSQL"})
        vocabulary.add(QString::fromUtf8(term), VocabularyEntry::Source::you);
    if (longTexts)
        vocabulary.add(QString::fromUtf8(longWord), VocabularyEntry::Source::you);

    installSampleApps(settings, sample);
    settings.setValue(QStringLiteral("keepClips"), true);
}

void SeedData::setRunningState(AppModel& model, Sample sample)
{
    const bool longTexts = sample == Sample::longTexts;
    model.setSpeechStatus(longTexts ? QStringLiteral("The model files weren't found "
                                                     "(/home/sara/.local/share/Quillmarsh/Models/1120ms/v2_1).")
                                    : QStringLiteral("Ready"));
    model.setSpeechReady(!longTexts);
    model.setLanguages(QStringLiteral("Persian + English"));
    model.setPunctuationAvailable(true);
    if (longTexts)
        model.setSignInError(QStringLiteral("Couldn’t sign in: the sign-in link has expired or was already used. "
                                            "Ask for a new link and open it on this computer within an hour."));
}

AuthSession SeedData::accountSession(const QDateTime& now, Sample sample)
{
    const auto part = [](const QByteArray& bytes) {
        return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    };
    const bool longTexts = sample == Sample::longTexts;
    const QString name =
        longTexts ? QStringLiteral("سارا احمدی‌نژاد خراسانی") : QStringLiteral("Sara Ahmadi");
    const QString email = longTexts ? QStringLiteral("sara.ahmadivares.khorasani.design-team@studio.example.com")
                                    : QStringLiteral("sara.ahmadi@example.com");
    const QByteArray payload =
        QJsonDocument(QJsonObject{{QStringLiteral("email"), email},
                                  {QStringLiteral("user_metadata"), QJsonObject{{QStringLiteral("full_name"), name}}},
                                  {QStringLiteral("app_metadata"),
                                   QJsonObject{{QStringLiteral("provider"), QStringLiteral("google")}}}})
            .toJson(QJsonDocument::Compact);
    AuthSession session;
    session.accessToken = QString::fromLatin1(part(R"({"alg":"none"})") + '.' + part(payload) + ".sample");
    session.refreshToken = QStringLiteral("sample");
    session.expiresAt = now.toSecsSinceEpoch() + 3600;
    session.userID = QStringLiteral("sample-user");
    session.email = email;
    return session;
}
