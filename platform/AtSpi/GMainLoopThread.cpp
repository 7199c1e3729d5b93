#include "AtSpi/GMainLoopThread.h"

#include <glib.h>
#include <pthread.h>

GMainLoopThread::GMainLoopThread(const char* name)
    : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE))
{
    thread_ = std::thread([this] {
        g_main_context_push_thread_default(context_);
        g_main_loop_run(loop_);
        g_main_context_pop_thread_default(context_);
    });
    pthread_setname_np(thread_.native_handle(), name);
}

GMainLoopThread::~GMainLoopThread()
{
    post([this] { g_main_loop_quit(loop_); });
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void GMainLoopThread::post(std::function<void()> work)
{
    using Work = std::function<void()>;
    g_main_context_invoke_full(
        context_, G_PRIORITY_DEFAULT,
        [](gpointer item) -> gboolean {
            (*static_cast<Work*>(item))();
            return G_SOURCE_REMOVE;
        },
        new Work(std::move(work)), [](gpointer item) { delete static_cast<Work*>(item); });
}
