#include "StatusMenu.h"

#include "DefaultSoundInput.h"
#include "FeedbackMail.h"
#include "HotkeyMonitor.h"
#include "Main/AppModel.h"
#include "OrbState.h"
#include "Setup/DeviceNames.h"
#include "StatusIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

StatusMenu::StatusMenu(AppModel& model, Actions actions)
    : model_(model), actions_(std::move(actions)), menu_(std::make_unique<QMenu>())
{
    modelLine_ = menu_->addAction(QString());
    modelLine_->setEnabled(false);
    retry_ = menu_->addAction(QStringLiteral("Try again"), this, [this] { actions_.retry(); });
    microphoneLine_ = menu_->addAction(QString());
    microphoneLine_->setEnabled(false);
    keyLine_ = menu_->addAction(QString());
    keyLine_->setEnabled(false);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Open Quillmarsh"), this, [this] { actions_.openMain(); });
    menu_->addAction(QStringLiteral("Settings…"), this, [this] { actions_.openSettings(); });
    menu_->addAction(QStringLiteral("Send feedback…"), this, [] { FeedbackMail::open(); });
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Quit Quillmarsh"), qApp, &QApplication::quit);
    connect(menu_.get(), &QMenu::aboutToShow, this, &StatusMenu::refresh);
    // Another input chosen, or the model's line changing (a slow host's wait counting up), shows
    // at once while the menu is open.
    connect(&DefaultSoundInput::desktop(), &DefaultSoundInput::described, this, &StatusMenu::refresh);
    connect(&model_, &AppModel::speechStatusChanged, this, &StatusMenu::refresh);
    connect(&model_, &AppModel::speechProblemChanged, this, &StatusMenu::refresh);
    refresh();

    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    const OrbState resting;
    tray_ = std::make_unique<QSystemTrayIcon>(QIcon(QPixmap::fromImage(StatusIcon::orb(resting, std::nullopt, true))));
    tray_->setToolTip(QStringLiteral("Quillmarsh"));
    tray_->setContextMenu(menu_.get());
    // A click on the mark itself opens the window; the menu stays on the other button.
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            actions_.openMain();
    });
    tray_->show();
}

StatusMenu::~StatusMenu() = default;

void StatusMenu::refresh()
{
    const QString status = model_.speechStatus().isEmpty() ? QStringLiteral("Starting…") : model_.speechStatus();
    modelLine_->setText(model_.speechProblem().isEmpty() ? QStringLiteral("Speech model: ") + status
                                                         : model_.speechProblem());
    retry_->setVisible(actions_.canRetry());
    microphoneLine_->setText(QStringLiteral("Microphone: ") + DeviceNames::microphone());
    keyLine_->setText(QStringLiteral("Dictation key: ") + HotkeyMonitor::displayName(model_.dictationKey()));
}

void StatusMenu::setIcon(const QImage& image)
{
    if (tray_)
        tray_->setIcon(QIcon(QPixmap::fromImage(image)));
}
