#pragma once
// The sound server's default input as the desktop names it, followed as devices come and go and
// the user picks another default. It talks to the server (PulseAudio, or PipeWire in its place)
// from the main thread's event loop and never waits for it. While there is no server (none yet at
// start, or gone since) it tries again every second, so a server that comes later is noticed.

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

struct pa_context;
struct pa_glib_mainloop;
struct pa_server_info;
struct pa_source_info;

class DefaultSoundInput : public QObject {
    Q_OBJECT

public:
    explicit DefaultSoundInput(QObject* parent = nullptr);
    ~DefaultSoundInput() override;

    // The one the application follows, so everything that names or checks the microphone agrees
    // with the input a dictation records (the server's default). Made at first use, it goes with
    // the application, whose event loop it runs in. Main thread only.
    static DefaultSoundInput& desktop();

    // The description last reported (empty for none): nothing before the server's first answer.
    std::optional<QString> description() const { return description_; }

signals:
    // The default input's description at first and after each change; empty when the default is
    // no input of its own (none, or another device's monitor), and when the server goes away.
    void described(const QString& description);

private:
    static void onState(pa_context* context, void* self);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void onSourceInfo(pa_context* context, const pa_source_info* info, int last, void* self);
    void connectToServer();
    void disconnectFromServer();
    void askForDefault();
    void describe(const QString& description);

    pa_glib_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    QTimer retry_;
    std::optional<QString> description_;
};
