#include "MainActions.h"

void MainActions::setKey(const QString& keyRaw)
{
    if (onSetKey)
        onSetKey(keyRaw);
}

bool MainActions::setModelPackage(const QString& packageRaw)
{
    return onSetModelPackage ? onSetModelPackage(packageRaw) : false;
}

void MainActions::setEngineMode(const QString& modeRaw)
{
    if (onSetEngineMode)
        onSetEngineMode(modeRaw);
}

void MainActions::setPunctuation(bool on)
{
    if (onSetPunctuation)
        onSetPunctuation(on);
}

void MainActions::showOnboarding()
{
    if (onShowOnboarding)
        onShowOnboarding();
}

void MainActions::showAcknowledgements()
{
    if (onShowAcknowledgements)
        onShowAcknowledgements();
}

void MainActions::retryModel()
{
    if (onRetryModel)
        onRetryModel();
}

void MainActions::shareClip(const QString& entryID)
{
    if (onShareClip)
        onShareClip(entryID);
}
