// A dictation on the speech server alone, through the controller as the application runs it:
// what it ends with when the server fails.

#include "Cloud/CloudEngine.h"
#include "Cloud/SpeechRouter.h"
#include "Dictation/DictationController.h"
#include "ManualClock.h"
#include "TestSpeechServer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Silence final : public AudioSource {
public:
    void start() override {}
    void stop() override {}
};

}

TEST(ServerOnlyDictation, AServerThatNeverAnswersEndsWithItsFailure)
{
    TestSpeechServer server;
    server.script = TestSpeechServer::onStart({});
    ManualClock clock;
    const CloudConfig config(server.url(), std::nullopt);
    auto cloud = std::make_shared<CloudEngine>(config, TokenProvider{}, clock);
    auto router = std::make_shared<SpeechRouter>(
        SpeechRouter::Mode::cloud, FailoverStream::Options{}, clock,
        []() -> std::shared_ptr<SpeechEngine> { return nullptr; }, [cloud] { return cloud; });
    DictationController controller([router] { return router; }, clock);
    controller.makeSource = [] { return std::make_shared<Silence>(); };
    std::optional<QString> finalText;
    controller.onFinal = [&](const QString& text, double) { finalText = text; };

    controller.keyDown();
    clock.advance(std::chrono::seconds(static_cast<int>(config.connectTimeout) + 1));
    controller.keyUp(false);
    ASSERT_TRUE(waitUntil([&] { return finalText.has_value(); }));
    EXPECT_EQ(finalText, QString());
    EXPECT_EQ(controller.lastFailure(), QStringLiteral("the server did not answer in time"));
}
