#include "Inserter.h"

#include "Core/Log.h"
#include "KeyPoster.h"
#include "Keysyms.h"

#include <QClipboard>
#include <QCoreApplication>

namespace {
// The pasted text, which says when an application first reads it.
class PastedText final : public QMimeData {
public:
    explicit PastedText(std::function<void()> onRead) : onRead_(std::move(onRead)) {}

protected:
    QVariant retrieveData(const QString& type, QMetaType preferred) const override
    {
        if (onRead_ && type != Inserter::concealedType)
            std::exchange(onRead_, nullptr)();
        return QMimeData::retrieveData(type, preferred);
    }

private:
    mutable std::function<void()> onRead_;
};

std::unique_ptr<QMimeData> copyOf(const QMimeData* data)
{
    auto copy = std::make_unique<QMimeData>();
    if (data) {
        for (const QString& format : data->formats())
            copy->setData(format, data->data(format));
    }
    return copy;
}
}

Inserter::Inserter(QClipboard& clipboard, KeyPoster& keys, Clock& clock)
    : clipboard_(clipboard), keys_(keys), clock_(clock)
{
    watching_ = QObject::connect(&clipboard_, &QClipboard::dataChanged, [this] { ++changes_; });
}

Inserter::~Inserter()
{
    QObject::disconnect(watching_);
    // Ending before the restore is due (the application quits): the user's copy goes back now,
    // so that it is what the clipboard manager is handed, not the dictated text.
    if (restoring_) {
        restoring_->cancel();
        restore();
    }
    if (takenLate_)
        takenLate_->cancel();
}

QList<quint32> Inserter::pasteKeys(Target target)
{
    if (target == Target::terminal)
        return {Keysyms::controlLeft, Keysyms::shiftLeft, Keysyms::letterV};
    return {Keysyms::controlLeft, Keysyms::letterV};
}

void Inserter::prepare()
{
    if (ours_)
        return;  // a restore is due: what it puts back is what is saved
    saved_ = copyOf(clipboard_.mimeData());
    preparedAt_ = changes_;
}

Inserter::Result Inserter::insert(const QString& text, Target target)
{
    taken();
    // A paste right after another keeps the contents saved before the first one.
    const bool stillOurs = ours_ && clipboard_.ownsClipboard() && clipboard_.mimeData() == ours_;
    if (restoring_)
        restoring_->cancel();
    if (!stillOurs && (!saved_ || preparedAt_ != changes_))
        saved_ = copyOf(clipboard_.mimeData());
    preparedAt_.reset();

    // Reading happens inside the clipboard's answer to the application: the rest waits for the
    // event loop, after the answer has gone out.
    auto data = new PastedText([self = std::weak_ptr<Inserter*>(self_)] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (const auto alive = self.lock())
                    (*alive)->taken();
            },
            Qt::QueuedConnection);
    });
    data->setText(text);
    data->setData(concealedType, QByteArrayLiteral("secret"));
    clipboard_.setMimeData(data);
    ours_ = data;

    if (target == Target::password) {
        // Nothing will be pasted: the copy is what the user asked for, so nothing goes back.
        saved_.reset();
        ours_ = nullptr;
        return Result::copied;
    }
    if (!keys_.post(pasteKeys(target))) {
        Log::info(QStringLiteral("couldn't paste: the desktop doesn't take synthetic keys"));
        saved_.reset();
        ours_ = nullptr;
        return Result::failed;
    }
    restoring_ = clock_.schedule(restoreDelay, [this] { restore(); });
    awaitingRead_ = true;
    takenLate_ = clock_.schedule(takenTimeout, [this] { taken(); });
    return Result::pasted;
}

void Inserter::afterTaken(std::function<void()> then)
{
    if (!awaitingRead_) {
        then();
        return;
    }
    afterTaken_ = std::move(then);
}

void Inserter::taken()
{
    awaitingRead_ = false;
    if (takenLate_) {
        takenLate_->cancel();
        takenLate_.reset();
    }
    if (afterTaken_)
        std::exchange(afterTaken_, nullptr)();
}

void Inserter::restore()
{
    restoring_.reset();
    // A clipboard manager or the user who changed it meanwhile wins.
    if (ours_ && clipboard_.ownsClipboard() && clipboard_.mimeData() == ours_) {
        if (saved_->formats().isEmpty())
            clipboard_.clear();
        else
            clipboard_.setMimeData(saved_.release());
    }
    saved_.reset();
    ours_ = nullptr;
}
