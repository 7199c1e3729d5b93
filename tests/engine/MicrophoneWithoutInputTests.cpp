// The microphone where no audio input exists: the sound server this process is pointed at is
// not there, so no input device is found.

#include "AudioFile.h"
#include "Microphone.h"

#include <gtest/gtest.h>

namespace {

// Before anything asks for audio devices.
const bool noServer = qputenv("PULSE_SERVER", "unix:/nonexistent/quillmarsh/native");

}

TEST(MicrophoneWithoutInput, StartThrowsInsteadOfRecordingSilence)
{
    ASSERT_TRUE(noServer);
    Microphone microphone;
    bool called = false;
    microphone.onAudio = [&](const std::vector<float>&, float) { called = true; };
    try {
        microphone.start();
        FAIL() << "a microphone without an input must not start";
    } catch (const AudioFileError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("could not read audio: no converter from 0 Hz, 0 ch, unknown"));
    }
    EXPECT_FALSE(microphone.isRunning());
    microphone.stop();
    EXPECT_FALSE(called);
}

TEST(MicrophoneWithoutInput, PermissionIsRestrictedAndARequestIsRefusedAtOnce)
{
    ASSERT_TRUE(noServer);
    EXPECT_EQ(Microphone::permission(), Microphone::Permission::restricted);
    std::optional<bool> answer;
    Microphone::requestPermission([&](bool granted) { answer = granted; });
    EXPECT_EQ(answer, false);
}
