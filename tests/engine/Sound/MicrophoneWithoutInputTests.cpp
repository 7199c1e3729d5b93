// The microphone where no audio input exists: the sound server this process is pointed at is
// not there, so no input device is found.

#include "Sound/Microphone.h"

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
    } catch (const AudioInputError& error) {
        EXPECT_EQ(error.description(), AudioInputError::noServer().description());
    }
    EXPECT_FALSE(microphone.isRunning());
    microphone.stop();
    EXPECT_FALSE(called);
}
