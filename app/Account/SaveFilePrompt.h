#pragma once
// Asks where to save a file, in the desktop's save dialog (its own where the desktop offers one):
// a typed name, a name in another folder or a full path all count, the typed name stays while the
// user moves between folders, and replacing a file is confirmed first. It returns at once; the
// answer comes later on the main thread.

#include <QString>

#include <functional>
#include <optional>

namespace SaveFilePrompt {

struct Request {
    QString title;
    QString folder;  // proposed; the home folder when it doesn't exist
    QString name;  // proposed
    QString filter;  // "JSON (*.json)"
    QString suffix;  // added to a typed name that has none
};

// `answer` gets the chosen file's path, or nothing when the user cancelled.
void ask(const Request& request, std::function<void(const std::optional<QString>& path)> answer);

}
