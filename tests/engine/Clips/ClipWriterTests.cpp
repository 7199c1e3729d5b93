#include "Clips/ClipVault.h"
#include "Clips/ClipWriter.h"
#include "Core/AtomicFile.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <future>

#include <gtest/gtest.h>

namespace {

// A vault whose first write waits, once begun, until the test lets it go on.
struct HeldVault {
    QTemporaryDir dir;
    std::promise<void> begun;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool first = true;
    ClipVault vault{dir.filePath(QStringLiteral("clips")),
                    [this](const QString& path, const QByteArray& bytes, int* error) {
                        if (std::exchange(first, false)) {
                            begun.set_value();
                            released.wait();
                        }
                        return writeFileAtomically(path, bytes, error);
                    }};
};

}

// The deletion of a dictation wins over the writing of its recording still queued or under way:
// no recording is left for an entry that no longer exists, and no failure is told of it.
TEST(ClipWriter, ARecordingRemovedBeforeOrWhileItIsWrittenIsNotKept)
{
    const std::vector<float> second(16000, 0.1f);
    for (const bool whileWritten : {false, true}) {
        HeldVault held;
        ClipWriter writer(held.vault);
        const QUuid earlier = QUuid::createUuid();
        const QUuid deleted = QUuid::createUuid();
        int done = 0;
        std::optional<QString> failure;
        const auto count = [&](const std::optional<QString>& told) {
            failure = failure ? failure : told;
            ++done;
        };
        if (!whileWritten)
            writer.save(second, earlier, count);
        writer.save(second, deleted, count);
        held.begun.get_future().wait();
        held.vault.remove(deleted);
        held.release.set_value();
        const int saves = whileWritten ? 1 : 2;
        ASSERT_TRUE(waitUntil([&] { return done == saves; }));
        EXPECT_FALSE(held.vault.has(deleted)) << whileWritten;
        EXPECT_EQ(held.vault.failure(deleted), std::nullopt) << whileWritten;
        EXPECT_EQ(failure, std::nullopt) << whileWritten;
        EXPECT_EQ(held.vault.has(earlier), !whileWritten) << "the others are kept";
    }
}
