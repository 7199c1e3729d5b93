#include "Core/HelperThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

// A thread that reports its id, optionally names itself, and waits until told to end.
class WaitingThread {
public:
    explicit WaitingThread(const char* name = nullptr)
        : thread_([this, name] {
              if (name)
                  pthread_setname_np(pthread_self(), name);
              id_.set_value(gettid());
              end_.get_future().wait();
          }),
          id(id_.get_future().get())
    {
    }
    ~WaitingThread()
    {
        end_.set_value();
        thread_.join();
    }

private:
    std::promise<pid_t> id_;
    std::promise<void> end_;
    std::thread thread_;

public:
    const pid_t id;
};

}

TEST(HelperThreads, LowerOnlyTheThreadsTheCallStartedAndLeftUnnamedWithinTheOrdinaryClass)
{
    const WaitingThread earlier;
    std::unique_ptr<WaitingThread> helper;
    std::unique_ptr<WaitingThread> named;
    const int moved = HelperThreads::startedBy([&] {
        helper = std::make_unique<WaitingThread>();
        named = std::make_unique<WaitingThread>("named.helper");
    });
    EXPECT_EQ(moved, 1);
    const auto niceOf = [](pid_t thread) { return getpriority(PRIO_PROCESS, static_cast<id_t>(thread)); };
    EXPECT_EQ(niceOf(helper->id), HelperThreads::niceness);
    // Idle priority would starve them on a busy machine.
    EXPECT_EQ(sched_getscheduler(helper->id), SCHED_OTHER);
    EXPECT_EQ(niceOf(named->id), 0);
    EXPECT_EQ(niceOf(earlier.id), 0);
    EXPECT_EQ(niceOf(gettid()), 0);
}
