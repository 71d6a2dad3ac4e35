// lumivex-image convert / process: thin wrappers over CxImage for scripts, benchmarks and checks.
#include "image/cx_image.h"
#include "tools/lumivex_image/command_registry.h"

#include <QFileInfo>
#include <QString>

#include <array>
#include <cstdio>
#include <functional>
#include <map>

namespace lumivex::tool {
namespace {

uint32_t typeOfName(const QString& name) {
  const QString suffix = QFileInfo(name).suffix().toLower();
  if (suffix == QLatin1String("bmp")) return CxImage::kTypeBmp;
  if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) return CxImage::kTypeJpg;
  return CxImage::kTypeUnknown;
}

int failWith(const char* text) {
  std::fprintf(stderr, "lumivex-image: %s\n", text);
  return 1;
}

int failWith(const CxImage& image) { return failWith(image.GetLastError()); }

bool load(CxImage& image, const QString& name) { return image.Load(name, typeOfName(name)); }

int save(CxImage& image, const QString& name) {
  const uint32_t type = typeOfName(name);
  if (type == CxImage::kTypeUnknown) return failWith("Encode: Unknown format");
  return image.Save(name, type) ? 0 : failWith(image);
}

int convert(const QStringList& args) {
  if (args.size() != 2) return failWith("usage: convert IN OUT");
  CxImage image;
  if (!load(image, args[0])) return failWith(image);
  return save(image, args[1]);
}

// The processing menu's operations with the menu's parameters.
const std::map<QString, std::function<bool(CxImage&)>>& operations() {
  static const std::map<QString, std::function<bool(CxImage&)>> table{
      {QStringLiteral("mirror"), [](CxImage& i) { return i.Mirror(false, true); }},
      {QStringLiteral("flip"), [](CxImage& i) { return i.Flip(false, true); }},
      {QStringLiteral("negative"), [](CxImage& i) { return i.Negative(); }},
      {QStringLiteral("light+"), [](CxImage& i) { return i.Light(10, 0); }},
      {QStringLiteral("light-"), [](CxImage& i) { return i.Light(-10, 0); }},
      {QStringLiteral("median"), [](CxImage& i) { return i.Median(3); }},
      {QStringLiteral("filter"),
       [](CxImage& i) {
         static constexpr std::array<long, 9> kOnes{1, 1, 1, 1, 1, 1, 1, 1, 1};
         return i.Filter(kOnes, 3, 9, 0);
       }},
  };
  return table;
}

int process(const QStringList& args) {
  if (args.size() != 3) return failWith("usage: process OP IN OUT");
  const auto op = operations().find(args[0].toLower());
  if (op == operations().end()) {
    return failWith("unknown operation (mirror, flip, negative, light+, light-, median, filter)");
  }
  CxImage image;
  if (!load(image, args[1])) return failWith(image);
  if (!op->second(image)) return failWith(image);
  return save(image, args[2]);
}

const bool kRegistered =
    registerCommand("convert", "IN OUT  (BMP/JPEG by extension)", convert) &&
    registerCommand("process", "OP IN OUT  (mirror flip negative light+ light- median filter)", process);

}  // namespace
}  // namespace lumivex::tool
