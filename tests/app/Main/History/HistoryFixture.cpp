#include "HistoryFixture.h"

#include "Core/UuidText.h"
#include "StoreSaves.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QTimeZone>

#include <chrono>
#include <cmath>

HistoryFixture::HistoryFixture(QObject* parent) : QObject(parent)
{
    records_.model.setClipServer([this] { return std::optional(server_.url()); }, &session_);
    records_.actions.onShareClip = [this](const QString& id) { shareRequest_ = id; };

    const QDateTime today(QDate::currentDate(), QTime(9, 30));
    HistoryEntry shared(QUuid::createUuid(), today.addDays(-3), QStringLiteral("npm run build"), std::nullopt,
                        QStringLiteral("code"), QStringLiteral("Code"), std::nullopt, AppCategory::code);
    shared.clipCode = QStringLiteral("QM-7K2F");
    const HistoryEntry persian(QUuid::createUuid(), today.addDays(-1), QStringLiteral("سلام خوبی امروز میام دفتر"),
                               QStringLiteral("سلام، خوبی؟ امروز می\u200cآیم دفتر."),
                               QStringLiteral("org.telegram.desktop"), QStringLiteral("Telegram"),
                               QStringLiteral("formal"));
    const HistoryEntry english(QUuid::createUuid(), today, QStringLiteral("send me the report by friday i guess"),
                               QStringLiteral("Please send me the final report by Friday."), std::nullopt,
                               QStringLiteral("Mail"), QStringLiteral("clean"), AppCategory::email);
    for (const HistoryEntry& entry : {shared, persian, english})
        records_.history.add(entry);
    // Speech-like: loud and quiet stretches, so the waveform has a shape.
    std::vector<float> clip = TestAudio::noise(1.6);
    for (size_t i = 0; i < clip.size(); ++i)
        clip[i] *= float(0.2 + 0.8 * std::abs(std::sin(double(i) / 16000.0 * 5.0)));
    records_.vault.save(clip, persian.id);
    english_ = uuidText(english.id);
    persian_ = uuidText(persian.id);
    shared_ = uuidText(shared.id);
}

HistoryFixture::~HistoryFixture() = default;

const HistoryEntry& HistoryFixture::entry(const QString& id) const
{
    for (const HistoryEntry& each : records_.history.entries()) {
        if (uuidText(each.id) == id)
            return each;
    }
    qFatal("no such entry");
}

void HistoryFixture::answerWithdrawals(int status, const QString& body, int delayMs)
{
    answer("DELETE", "/v1/clips/QM-7K2F", status, body, delayMs);
}

void HistoryFixture::answerUploads(int status, const QString& body, int delayMs)
{
    answer("POST", "/v1/clips", status, body, delayMs);
}

void HistoryFixture::answer(const QByteArray& method, const QByteArray& path, int status, const QString& body,
                            int delayMs)
{
    server_.route(method, path, [status, body, delayMs](const HttpRequest&) {
        HttpResponse response = HttpResponse::json(status, body.toUtf8());
        response.delayBeforeHeaders = std::chrono::milliseconds(delayMs);
        return response;
    });
}

void HistoryFixture::forgetServer()
{
    records_.model.setClipServer({}, nullptr);
}

QString HistoryFixture::storedCode(const QString& id) const
{
    allSaved(records_.history);
    const auto entries = HistoryStore::decodeFile(readFile(records_.history.url()));
    for (const HistoryEntry& each : entries.value_or(QList<HistoryEntry>())) {
        if (uuidText(each.id) == id)
            return each.clipCode.value_or(QStringLiteral("none"));
    }
    return QStringLiteral("none");
}
