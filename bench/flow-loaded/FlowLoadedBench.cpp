// The flow benchmark's rounds on a machine whose every core is busy at the lowest ordinary
// priority (a process at nice 19 spinning on each, as a build or a video would keep them), against
// the same rounds without, alternating round by round in one run on the test desktop (scripts/bench
// starts it): the spinners are stopped for an unloaded round and let go for a loaded one. Prints
// the medians of key up to text, then ratio=<loaded/unloaded>.

#include "BenchFlow.h"

#include <QGuiApplication>
#include <QtQml/qqmlextensionplugin.h>

#include <csignal>
#include <cstdio>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

constexpr int rounds = 15;

// One busy process per core, at nice 19, stopped until let go.
class Load {
public:
    Load()
    {
        for (unsigned core = 0; core < std::max(1u, std::thread::hardware_concurrency()); ++core) {
            const pid_t child = fork();
            if (child == 0) {
                setpriority(PRIO_PROCESS, 0, 19);
                raise(SIGSTOP);
                volatile int busy = 0;
                for (;;)
                    (void)busy;
            }
            if (child > 0)
                spinners_.push_back(child);
        }
        for (const pid_t child : spinners_)
            waitpid(child, nullptr, WUNTRACED);
    }
    ~Load()
    {
        signalAll(SIGKILL);
        for (const pid_t child : spinners_)
            waitpid(child, nullptr, 0);
    }
    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;

    void on() { signalAll(SIGCONT); }
    void off() { signalAll(SIGSTOP); }

private:
    void signalAll(int signal) const
    {
        for (const pid_t child : spinners_)
            kill(child, signal);
    }

    std::vector<pid_t> spinners_;
};

}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const auto bench = BenchFlow::start("bench-flow-loaded");
    if (!bench)
        return 1;
    Load load;
    std::vector<double> unloaded, loaded;
    for (int round = 0; round < rounds; ++round) {
        const std::optional<BenchFlow::Round> quiet = bench->round();
        load.on();
        const std::optional<BenchFlow::Round> busy = bench->round();
        load.off();
        if (!quiet || !busy)
            return 1;
        unloaded.push_back(quiet->ours);
        loaded.push_back(busy->ours);
    }
    const double unloadedMedian = BenchFlow::median(unloaded);
    const double loadedMedian = BenchFlow::median(loaded);
    std::printf("key up to text, cores idle:           median %.1f ms\n", unloadedMedian);
    std::printf("key up to text, every core at nice 19: median %.1f ms\n", loadedMedian);
    std::printf("ratio=%.3f\n", loadedMedian / unloadedMedian);
    return 0;
}
