#pragma once
// Files as the tests see them: whole contents and permission bits.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// The whole file, or nothing when it can't be read.
QByteArray readFile(const QString& path);

// Writes the whole file, making its folder first; a failure fails the test.
void writeFile(const QString& path, const QByteArray& bytes);

// The permission bits (0777 part of the mode); 0 when the file can't be examined.
mode_t modeOf(const QString& path);
