#pragma once
// The folders the system keeps its files in. Nothing here creates them.

#include <QString>

namespace AppFolders {
// $XDG_DATA_HOME/Quillmarsh: the user's records, models and recordings.
QString data();
// $XDG_CONFIG_HOME/Quillmarsh: the settings.
QString config();
// $XDG_STATE_HOME/Quillmarsh: the log.
QString state();

// Takes group and other permissions from those of the three folders that exist: folders made
// before everything was private may still be open to others. The user's own stay as they are.
void keepPrivate();
}
