#include "Clips/ClipWriter.h"

#include "Clips/ClipVault.h"
#include "Core/Error.h"

ClipWriter::ClipWriter(ClipVault& vault) : vault_(vault), queue_(std::make_unique<SerialQueue>("quillmarsh.clips")) {}

ClipWriter::~ClipWriter() = default;

void ClipWriter::save(std::vector<float> samples, const QUuid& id, Done done)
{
    queue_->async([this, samples = std::move(samples), id, done = std::move(done)] {
        std::optional<QString> failure;
        try {
            vault_.save(samples, id);
        } catch (const Error& error) {
            failure = error.description();
        }
        QMetaObject::invokeMethod(
            &context_,
            [done, failure] {
                if (done)
                    done(failure);
            },
            Qt::QueuedConnection);
    });
}
