#include "tools/lumivex_image/export_formats.h"

#include <QFileInfo>

#include <map>
#include <optional>
#include <set>

namespace lumivex::tool {
namespace {

struct Registry {
  std::map<QString, ExportWriter> bySuffix;
  std::optional<ExportWriter> fallback;
  std::set<QString> options;
};

Registry& registry() {
  static Registry table;
  return table;
}

}  // namespace

std::vector<const MeasureShape*> ExportJob::shapePointers() const {
  std::vector<const MeasureShape*> out;
  out.reserve(shapes.size());
  for (const MeasureShape& shape : shapes) out.push_back(&shape);
  return out;
}

bool registerExportFormat(const QStringList& suffixes, const QStringList& options, ExportWriter writer) {
  Registry& r = registry();
  if (suffixes.isEmpty()) r.fallback = writer;
  for (const QString& suffix : suffixes) r.bySuffix[suffix.toLower()] = writer;
  for (const QString& option : options) r.options.insert(option);
  return true;
}

const ExportWriter* exportWriterFor(const QString& path) {
  Registry& r = registry();
  const auto found = r.bySuffix.find(QFileInfo(path).suffix().toLower());
  if (found != r.bySuffix.end()) return &found->second;
  return r.fallback ? &*r.fallback : nullptr;
}

bool isExportOption(const QString& name) { return registry().options.count(name) > 0; }

QString exportFormatList() {
  QStringList names;
  for (const auto& [suffix, writer] : registry().bySuffix) names << QStringLiteral("FILE.") + suffix;
  if (registry().fallback) names << QStringLiteral("any other name (text form)");
  return names.join(QStringLiteral(", "));
}

}  // namespace lumivex::tool
