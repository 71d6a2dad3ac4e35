#include "export/export_path.h"

#include "core/prompter.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace lumivex {

QString filterSuffix(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.([^)\s;]+)\))"));
  const QRegularExpressionMatch match = pattern.match(filter);
  return match.hasMatch() ? match.captured(1) : QString();
}

std::optional<QString> askExportPath(QWidget* parent, const QString& folder, const QStringList& filters,
                                     const QString& defaultSuffix) {
  FileRequest request;
  request.folder = folder;
  request.filters = filters;
  request.selectedFilter = filters.isEmpty() ? QString() : filters.front();
  const std::optional<FileAnswer> answer = prompter().saveFile(parent, request);
  if (!answer || answer->path.isEmpty()) return std::nullopt;
  QString path = answer->path;
  if (QFileInfo(path).suffix().isEmpty()) {
    QString suffix = filterSuffix(answer->selectedFilter);
    if (suffix.isEmpty()) suffix = defaultSuffix;
    if (path.endsWith(u'.')) path.chop(1);
    path += u'.' + suffix;
  }
  return path;
}

}  // namespace lumivex
