#include "tests/export/export_test_support.h"

#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

namespace lumivex::test {

QByteArray runPython(const QString& script, const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral("/usr/bin/python3"), QStringList{script} + args);
  const bool finished = process.waitForFinished(120000);
  EXPECT_TRUE(finished) << script.toStdString();
  const QByteArray err = process.readAllStandardError();
  EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
  return process.readAllStandardOutput();
}

QJsonObject runPythonJson(const QString& script, const QStringList& args) {
  return QJsonDocument::fromJson(runPython(script, args)).object();
}

}  // namespace lumivex::test
