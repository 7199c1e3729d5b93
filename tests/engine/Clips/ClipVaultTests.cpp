#include "Clips/ClipVault.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sndfile.h>

namespace {

class ClipVaultTest : public testing::Test {
protected:
    QTemporaryDir dir;
    ClipVault vault{dir.filePath(QStringLiteral("deep/clips"))};
    QUuid id = QUuid::createUuid();

    void touch(const QString& name) const
    {
        QDir().mkpath(vault.folder());
        QFile file(vault.folder() + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
};

std::vector<float> ramp(size_t count, float amplitude)
{
    std::vector<float> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = amplitude * static_cast<float>(i % 100) / 100.0f;
    return samples;
}

}

TEST_F(ClipVaultTest, SavesSixteenBitMonoFlacPrivately)
{
    std::vector<float> samples = ramp(4800, 0.5f);
    samples[10] = 1.5f;
    samples[11] = -1.5f;
    samples[12] = 1.0f;
    const QString path = vault.save(samples, id);

    EXPECT_EQ(path, vault.folder() + u'/' + id.toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".flac"));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(vault.folder()), 0700u);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("deep"))), 0700u) << "missing parents are private too";

    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.samplerate, 16000);
    EXPECT_EQ(info.channels, 1);
    std::vector<short> read(4800);
    EXPECT_EQ(sf_readf_short(file, read.data(), 4800), 4800);
    sf_close(file);
    EXPECT_EQ(read[10], 32767) << "saturates instead of wrapping";
    EXPECT_EQ(read[11], -32768);
    EXPECT_GE(read[12], 32766);
    EXPECT_NEAR(read[50], 0.25 * 32767, 2);

    EXPECT_DOUBLE_EQ(vault.seconds(id), 0.3);
    EXPECT_EQ(vault.data(id), readFile(path));
}

TEST_F(ClipVaultTest, TooShortARecordingTouchesNothing)
{
    EXPECT_THROW(vault.save(ramp(4799, 0.5f), id), ClipError);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("deep"))));
}

TEST_F(ClipVaultTest, MissingRecordings)
{
    EXPECT_THROW(vault.data(id), ClipError);
    EXPECT_FALSE(vault.has(id));
    EXPECT_EQ(vault.seconds(id), 0.0);
    EXPECT_TRUE(vault.waveform(id, 8).empty());
}

TEST_F(ClipVaultTest, RemovesOnlyFlacFiles)
{
    const QUuid other = QUuid::createUuid();
    vault.save(ramp(4800, 0.5f), id);
    vault.save(ramp(4800, 0.5f), other);
    for (const char* name : {"LOUD.FLAC", "note.wav", ".hidden.flac"})
        touch(QString::fromLatin1(name));

    vault.remove(id);
    EXPECT_FALSE(vault.has(id));
    EXPECT_TRUE(vault.has(other));

    vault.removeAll();
    QStringList left = QDir(vault.folder()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, QStringList({QStringLiteral("LOUD.FLAC"), QStringLiteral("note.wav")}));
}

TEST_F(ClipVaultTest, PurgesByModificationTime)
{
    const QDateTime now = QDateTime::currentDateTime();
    const auto aged = [&](const QUuid& clip, qint64 secondsAgo) {
        vault.save(ramp(4800, 0.5f), clip);
        QFile file(vault.url(clip));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(now.addSecs(-secondsAgo), QFileDevice::FileModificationTime));
    };
    const QUuid expired = QUuid::createUuid();
    const QUuid boundary = QUuid::createUuid();
    const QUuid fresh = QUuid::createUuid();
    aged(expired, 7 * 86400 + 1);
    aged(boundary, 7 * 86400);
    aged(fresh, 60);
    touch(QStringLiteral("old.wav"));
    QFile wav(vault.folder() + QStringLiteral("/old.wav"));
    ASSERT_TRUE(wav.open(QIODevice::ReadWrite));
    ASSERT_TRUE(wav.setFileTime(now.addDays(-30), QFileDevice::FileModificationTime));

    EXPECT_EQ(vault.purge(ClipVault::keepDays, now), 1);
    EXPECT_FALSE(vault.has(expired));
    EXPECT_TRUE(vault.has(boundary));
    EXPECT_TRUE(vault.has(fresh));
    EXPECT_TRUE(QFileInfo::exists(vault.folder() + QStringLiteral("/old.wav")));
}

TEST_F(ClipVaultTest, DrawsPeaksScaledToTheLoudest)
{
    std::vector<float> samples(4800, 0.0f);
    vault.save(samples, id);
    EXPECT_EQ(vault.waveform(id, 4), std::vector<float>(4, 0.0f)) << "silence";
    EXPECT_TRUE(vault.waveform(id, 0).empty());

    for (size_t i = 0; i < 1200; ++i)
        samples[i] = (i % 2 ? -0.5f : 0.25f);
    samples[3000] = 0.02f;
    vault.save(samples, id);
    const std::vector<float> bins = vault.waveform(id, 4);
    ASSERT_EQ(bins.size(), 4u);
    EXPECT_FLOAT_EQ(bins[0], 1.0f);
    EXPECT_EQ(bins[1], 0.0f);
    EXPECT_NEAR(bins[2], 0.04f, 0.001f);
    EXPECT_EQ(bins[3], 0.0f);
    EXPECT_EQ(vault.waveform(id, 9600).size(), 9600u) << "more bins than frames";
    std::vector<float> quiet(4800, 0.0f);
    quiet[0] = 0.025f;
    vault.save(quiet, id);
    EXPECT_NEAR(vault.waveform(id, 2)[0], 0.5f, 0.01f) << "a quiet recording draws small";
}

TEST_F(ClipVaultTest, OnlyOldLeftoversOfItsOwnSavesAreRemoved)
{
    const QString name = id.toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".flac");
    touch(name + QStringLiteral(".a1B2c3"));  // an earlier run's save, cut short
    touch(name + QStringLiteral(".Z9y8X7"));  // another instance's save, under way
    touch(QStringLiteral("notes.txt.a1B2c3"));
    const QDateTime hourAgo = QDateTime::currentDateTimeUtc().addSecs(-3600);
    for (const QString& old : {name + QStringLiteral(".a1B2c3"), QStringLiteral("notes.txt.a1B2c3")}) {
        QFile file(vault.folder() + u'/' + old);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(hourAgo, QFileDevice::FileModificationTime));
    }
    vault.removeLeftovers();
    EXPECT_EQ(QDir(vault.folder()).entryList(QDir::Files),
              (QStringList{name + QStringLiteral(".Z9y8X7"), QStringLiteral("notes.txt.a1B2c3")}));
}
