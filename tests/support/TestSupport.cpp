#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <random>

namespace TestModels {
QString transducer()
{
    return QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer");
}
QString transducerBench()
{
    return QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer-bench");
}
QString transducerBpe()
{
    return QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer-bpe");
}
QString punctuation()
{
    return QStringLiteral(QUILLMARSH_TEST_MODELS "/punctuation");
}
}

namespace TestAudio {

std::vector<float> silence(double seconds)
{
    return std::vector<float>(static_cast<size_t>(seconds * 16000), 0.0f);
}

std::vector<float> noise(double seconds)
{
    std::mt19937 generator(42);
    std::uniform_real_distribution<float> amplitude(-0.3f, 0.3f);
    std::vector<float> samples(static_cast<size_t>(seconds * 16000));
    for (float& sample : samples)
        sample = amplitude(generator);
    return samples;
}

}

ScopedEnvironment::ScopedEnvironment(const char* name, std::optional<QString> value) : name_(name)
{
    if (qEnvironmentVariableIsSet(name))
        previous_ = qgetenv(name);
    if (value)
        qputenv(name, value->toUtf8());
    else
        qunsetenv(name);
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (previous_)
        qputenv(name_.constData(), *previous_);
    else
        qunsetenv(name_.constData());
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    // Events are handled the moment they arrive, as in a running application; the tick wakes the
    // wait for a condition that no event announces.
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.start(1);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}
