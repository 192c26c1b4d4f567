#pragma once
// Small helpers shared by the test executables.
#include <QByteArray>
#include <QString>
#include <functional>

namespace zovax::test {

// Runs the event loop until pred() is true or timeoutMs passes; returns pred().
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// Reads a whole file (empty when it cannot be read).
QByteArray readFileBytes(const QString& path);

// Writes bytes to a file, creating folders; returns false on failure.
bool writeFileBytes(const QString& path, const QByteArray& bytes);

} // namespace zovax::test
