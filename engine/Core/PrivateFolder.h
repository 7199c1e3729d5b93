#pragma once
// Folders the system keeps the user's files in are the user's alone (0700) from the moment they
// exist. Folders that already exist keep their permissions: they may be shared ones like ~/.local.

#include <QString>

#include <optional>

// Makes the folder and any missing parents; returns a lower-case description of the failure, or
// nothing when the folder is there.
std::optional<QString> makePrivateFolder(const QString& folder);
