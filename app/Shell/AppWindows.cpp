#include "AppWindows.h"

#include "AcknowledgementsWindow.h"
#include "Clips/ClipVault.h"
#include "Core/Log.h"
#include "History/HistoryStore.h"
#include "Main/AppModel.h"
#include "Main/MainWindowController.h"
#include "Main/Share/ShareClipWindowController.h"

#include <QQuickView>
#include <QQuickWindow>

#include <algorithm>

AppWindows::AppWindows(Sources sources) : sources_(sources) {}

AppWindows::~AppWindows() = default;

void AppWindows::showMain(std::optional<MainSection> section)
{
    if (section)
        sources_.model.setSection(*section);
    if (!main_) {
        main_ = std::make_unique<MainWindowController>(sources_.factory, sources_.model, sources_.settings);
        main_->onClose = [this] {
            // The window is closing inside its own signal: let it finish before it goes.
            if (main_)
                main_.release()->deleteLater();
        };
    }
    main_->show();
}

void AppWindows::focusMainPage()
{
    if (main_)
        main_->focusPage();
}

void AppWindows::showShare(const QUuid& entryID)
{
    const QList<HistoryEntry>& entries = sources_.history.entries();
    const auto entry =
        std::find_if(entries.begin(), entries.end(), [&](const HistoryEntry& each) { return each.id == entryID; });
    if (entry == entries.end()) {
        Log::info(QStringLiteral("share window: no dictation ") + entryID.toString(QUuid::WithoutBraces));
        return;
    }
    if (share_)
        share_->window()->close();
    share_ = std::make_unique<ShareClipWindowController>(*entry, sources_.model, sources_.engine);
    ShareClipWindowController* opened = share_.get();
    share_->onClose = [this, opened] {
        // The window is closing inside its own event: let it finish before it goes.
        if (share_.get() == opened)
            share_.release()->deleteLater();
    };
    share_->show();
}

bool AppWindows::showNewestShare()
{
    for (const HistoryEntry& entry : sources_.history.entries()) {
        if (sources_.vault.has(entry.id)) {
            showShare(entry.id);
            return true;
        }
    }
    return false;
}

void AppWindows::showAcknowledgements()
{
    if (!acknowledgements_)
        acknowledgements_ = std::make_unique<AcknowledgementsWindow>(sources_.factory);
    acknowledgements_->show();
}

QQuickWindow* AppWindows::main() const
{
    return main_ ? main_->window() : nullptr;
}

QQuickWindow* AppWindows::share() const
{
    return share_ ? share_->window() : nullptr;
}

QQuickWindow* AppWindows::acknowledgements() const
{
    return acknowledgements_ ? acknowledgements_->window() : nullptr;
}
