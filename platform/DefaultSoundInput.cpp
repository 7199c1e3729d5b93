#include "DefaultSoundInput.h"

#include "Sound/SoundSources.h"

#include <QCoreApplication>
#include <QPointer>

#include <pulse/glib-mainloop.h>
#include <pulse/pulseaudio.h>

#include <chrono>

DefaultSoundInput::DefaultSoundInput(QObject* parent) : QObject(parent)
{
    // Qt's main loop is GLib's, so the server's answers arrive between the application's events.
    loop_ = pa_glib_mainloop_new(nullptr);
    retry_.setSingleShot(true);
    retry_.setInterval(std::chrono::seconds(1));
    connect(&retry_, &QTimer::timeout, this, &DefaultSoundInput::connectToServer);
    connectToServer();
}

DefaultSoundInput::~DefaultSoundInput()
{
    disconnectFromServer();
    pa_glib_mainloop_free(loop_);
}

DefaultSoundInput& DefaultSoundInput::desktop()
{
    static QPointer<DefaultSoundInput> shared;
    if (!shared)
        shared = new DefaultSoundInput(QCoreApplication::instance());
    return *shared;
}

void DefaultSoundInput::connectToServer()
{
    context_ = pa_context_new(pa_glib_mainloop_get_api(loop_), "Quillmarsh");
    if (!context_)
        return;
    pa_context_set_state_callback(context_, &DefaultSoundInput::onState, this);
    pa_context_set_subscribe_callback(
        context_,
        [](pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
            static_cast<DefaultSoundInput*>(self)->askForDefault();
        },
        this);
    // A server refused at once is no input, and is retried like one that went away.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        disconnectFromServer();
        describe({});
        retry_.start();
    }
}

void DefaultSoundInput::disconnectFromServer()
{
    if (!context_)
        return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

void DefaultSoundInput::onState(pa_context* context, void* self)
{
    auto* input = static_cast<DefaultSoundInput*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        // A new default or a device plugged in or out: the server's and the inputs' events.
        const auto events = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SOURCE);
        if (pa_operation* operation = pa_context_subscribe(context, events, nullptr, nullptr))
            pa_operation_unref(operation);
        input->askForDefault();
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The context is done for: a new one tries again once the event loop has left this call.
        input->describe({});
        QMetaObject::invokeMethod(
            input,
            [input] {
                input->disconnectFromServer();
                input->retry_.start();
            },
            Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

void DefaultSoundInput::askForDefault()
{
    // The server answers in order, so the last answer is about the latest change.
    if (pa_operation* operation = pa_context_get_server_info(context_, &DefaultSoundInput::onServerInfo, this))
        pa_operation_unref(operation);
}

void DefaultSoundInput::describe(const QString& description)
{
    description_ = description;
    emit described(description);
}

void DefaultSoundInput::onServerInfo(pa_context* context, const pa_server_info* info, void* self)
{
    pa_operation* operation = info && info->default_source_name ? pa_context_get_source_info_by_name(
                                  context, info->default_source_name, &DefaultSoundInput::onSourceInfo, self)
                                                                : nullptr;
    if (operation)
        pa_operation_unref(operation);
    else
        static_cast<DefaultSoundInput*>(self)->describe({});
}

void DefaultSoundInput::onSourceInfo(pa_context*, const pa_source_info* info, int last, void* self)
{
    auto* input = static_cast<DefaultSoundInput*>(self);
    if (last < 0)  // the default went away meanwhile
        input->describe({});
    else if (!last && info)
        input->describe(SoundSources::isMicrophone(*info) ? QString::fromUtf8(info->description) : QString());
}
