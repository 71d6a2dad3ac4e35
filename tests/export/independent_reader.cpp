#include "tests/export/independent_reader.h"

#include "tests/support/temp_home.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace lumivex::test {

QStringList ReadSheet::rowTexts(int row) const {
  QStringList texts;
  for (const QJsonValue& value : rows.at(row).toArray()) {
    if (value.isString())
      texts << value.toString();
    else if (value.isDouble())
      texts << QString::number(value.toDouble(), 'g', 15);
    else if (value.isBool())
      texts << (value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    else
      texts << QString();
  }
  return texts;
}

QJsonValue ReadSheet::cell(int row, int column) const { return rows.at(row).toArray().at(column); }

QString germanLocaleFolder() {
  const QString root = qEnvironmentVariable("LUMIVEX_BINARY_DIR", QDir::tempPath());
  const QString folder = root + QStringLiteral("/test-locales");
  const QString locale = folder + QStringLiteral("/de_DE.UTF-8");
  if (QFileInfo(locale + QStringLiteral("/LC_NUMERIC")).exists()) return folder;
  // Made beside and renamed into place, so tests running at the same time never see half a locale.
  QDir().mkpath(folder);
  QTemporaryDir scratch(folder + QStringLiteral("/making-XXXXXX"));
  QProcess localedef;
  localedef.start(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                                QStringLiteral("UTF-8"), scratch.filePath(QStringLiteral("de"))});
  if (!localedef.waitForFinished(300000) || !QFileInfo(scratch.filePath(QStringLiteral("de/LC_NUMERIC"))).exists())
    return {};
  QDir().rename(scratch.filePath(QStringLiteral("de")), locale);
  return QFileInfo(locale + QStringLiteral("/LC_NUMERIC")).exists() ? folder : QString();
}

bool runPython(const QString& program, const QStringList& args, QString* output) {
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), program} + args);
  // Generous: the CI machine is loaded.
  if (!python.waitForFinished(120000)) return false;
  const QString out = QString::fromUtf8(python.readAllStandardOutput());
  const QString err = QString::fromUtf8(python.readAllStandardError());
  if (output) *output = python.exitCode() == 0 ? out : err;
  return python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
}

std::optional<std::vector<ReadSheet>> readIndependently(const QString& path, bool xlsx, QString* error, bool formulas) {
  QProcess python;
  QStringList args{sourcePath(QStringLiteral("tests/export/read_workbook.py")), path,
                   xlsx ? QStringLiteral("xlsx") : QStringLiteral("xls")};
  if (formulas) args << QStringLiteral("formulas");
  python.start(QStringLiteral("/usr/bin/python3"), args);
  if (!python.waitForFinished(120000) || python.exitCode() != 0) {
    if (error) *error = QString::fromUtf8(python.readAllStandardError());
    return std::nullopt;
  }
  const QJsonDocument doc = QJsonDocument::fromJson(python.readAllStandardOutput());
  std::vector<ReadSheet> sheets;
  for (const QJsonValue& sheet : doc.object().value(QStringLiteral("sheets")).toArray())
    sheets.push_back({sheet[QStringLiteral("name")].toString(), sheet[QStringLiteral("rows")].toArray()});
  return sheets;
}

}  // namespace lumivex::test
