#pragma once
// The folders the system keeps its files in. Nothing here creates them.

#include <QString>

namespace AppFolders {
// $XDG_DATA_HOME/Quillmarsh: the user's records, models and recordings.
QString data();
// $XDG_STATE_HOME/Quillmarsh: the log.
QString state();
}
