#include "tools/lumivex_image/export_formats.h"

#include <QFileInfo>

#include <map>
#include <optional>
#include <set>

namespace lumivex::tool {
namespace {

struct Form {
  ExportWriter writer;
  QStringList options;
};

struct Registry {
  std::map<QString, Form> bySuffix;
  std::optional<Form> fallback;
  std::set<QString> options;
};

Registry& registry() {
  static Registry table;
  return table;
}

const Form* formFor(const QString& path) {
  Registry& r = registry();
  const auto found = r.bySuffix.find(QFileInfo(path).suffix().toLower());
  if (found != r.bySuffix.end()) return &found->second;
  return r.fallback ? &*r.fallback : nullptr;
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
  const Form form{std::move(writer), options};
  if (suffixes.isEmpty()) r.fallback = form;
  for (const QString& suffix : suffixes) r.bySuffix[suffix.toLower()] = form;
  for (const QString& option : options) r.options.insert(option);
  return true;
}

const ExportWriter* exportWriterFor(const QString& path) {
  const Form* form = formFor(path);
  return form ? &form->writer : nullptr;
}

bool takesExportOption(const QString& path, const QString& name) {
  const Form* form = formFor(path);
  return form && form->options.contains(name);
}

bool isExportOption(const QString& name) { return registry().options.count(name) > 0; }

QString exportFormatList() {
  QStringList names;
  for (const auto& [suffix, form] : registry().bySuffix) names << QStringLiteral("FILE.") + suffix;
  if (registry().fallback) names << QStringLiteral("any other name (text form)");
  return names.join(QStringLiteral(", "));
}

}  // namespace lumivex::tool
