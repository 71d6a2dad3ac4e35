#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace lumivex::test {

// Runs a Debian python3 checker script (not the python3 first on PATH, which lacks Debian's modules)
// and returns its stdout; fails the current test when it does not exit 0.
QByteArray runPython(const QString& script, const QStringList& args);
// The JSON object a checker printed.
QJsonObject runPythonJson(const QString& script, const QStringList& args);

}  // namespace lumivex::test
