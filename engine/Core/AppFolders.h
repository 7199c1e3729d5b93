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

// Narrows those of the three folders that exist to the user alone (0700): folders made before
// everything was private may still be open to others.
void keepPrivate();
}
