#pragma once
// Digests and patterned bytes for the model download and installer tests.

#include <QByteArray>
#include <QString>

#include <functional>
#include <ostream>

QString sha256Hex(const QByteArray& bytes);
// Deterministic bytes that differ from one offset to the next, so a misplaced range shows.
QByteArray patternBytes(qint64 size, int seed = 0);

class ModelInstallError;
// The ModelInstallError the work throws; a test failure when it throws none.
ModelInstallError installErrorOf(const std::function<void()>& work);
// Readable failure messages in the tests.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const ModelInstallError& error, std::ostream* out);
