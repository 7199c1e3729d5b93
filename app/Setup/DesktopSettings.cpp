#include "DesktopSettings.h"

#include "SettingsPanels.h"

void DesktopSettings::openSound()
{
    SettingsPanels::system().open(SettingsPanels::Panel::microphone);
}
