#include "Inserter.h"

#include "Core/Log.h"
#include "KeyPoster.h"
#include "Keysyms.h"

#include <QClipboard>

namespace {
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
    if (restoring_)
        restoring_->cancel();
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
    // A paste right after another keeps the contents saved before the first one.
    const bool stillOurs = ours_ && clipboard_.ownsClipboard() && clipboard_.mimeData() == ours_;
    if (restoring_)
        restoring_->cancel();
    if (!stillOurs && (!saved_ || preparedAt_ != changes_))
        saved_ = copyOf(clipboard_.mimeData());
    preparedAt_.reset();

    auto data = new QMimeData;
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
    return Result::pasted;
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
