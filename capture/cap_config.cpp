#include "capture/cap_config.h"

#include "core/app_context.h"
#include "core/whole_file.h"

#include <QtEndian>

namespace lumivex {

namespace {
constexpr int kBitRate = 32;
constexpr int kFrameTime = 40;
constexpr int kHeader = 48;
constexpr int kWidth = kHeader + 4;
constexpr int kHeight = kHeader + 8;
constexpr int kPlanes = kHeader + 12;
constexpr int kBitCount = kHeader + 14;
constexpr int kCompression = kHeader + 16;
constexpr int kSizeImage = kHeader + 20;
}  // namespace

CapConfig::CapConfig() : bytes_(kBytes, '\0') {}

std::int32_t CapConfig::i32(int offset) const {
  return qFromLittleEndian<qint32>(reinterpret_cast<const uchar*>(bytes_.constData()) + offset);
}

void CapConfig::setI32(int offset, std::int32_t value) {
  qToLittleEndian<qint32>(value, reinterpret_cast<uchar*>(bytes_.data()) + offset);
}

CapConfig CapConfig::defaultFormat(int width, int height, std::int64_t frameTime) {
  CapConfig c;
  auto* p = reinterpret_cast<uchar*>(c.bytes_.data());
  // Source and target rectangles stay empty: the whole picture.
  qToLittleEndian<qint64>(frameTime, p + kFrameTime);
  qToLittleEndian<quint32>(40, p + kHeader);
  qToLittleEndian<quint16>(1, p + kPlanes);
  qToLittleEndian<quint16>(16, p + kBitCount);
  qToLittleEndian<quint32>(kFourccYuy2, p + kCompression);
  c.setSize(width, height);
  return c;
}

std::optional<CapConfig> CapConfig::fromBytes(const QByteArray& bytes) {
  if (bytes.size() < kBytes) return std::nullopt;
  CapConfig c;
  c.bytes_ = bytes.left(kBytes);
  return c;
}

std::optional<CapConfig> CapConfig::read(const QString& path) {
  const WholeFile file = WholeFile::read(path, 64 * 1024);
  if (file.status != WholeFile::Status::Read) return std::nullopt;
  return fromBytes(file.bytes);
}

WriteResult CapConfig::write(const QString& path) const { return AtomicFile::write(path, bytes_); }

int CapConfig::width() const { return i32(kWidth); }
int CapConfig::height() const { return i32(kHeight); }

int CapConfig::bitCount() const {
  return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(bytes_.constData()) + kBitCount);
}

std::int64_t CapConfig::frameTime() const {
  return qFromLittleEndian<qint64>(reinterpret_cast<const uchar*>(bytes_.constData()) + kFrameTime);
}

std::uint32_t CapConfig::bitRate() const { return static_cast<std::uint32_t>(i32(kBitRate)); }
std::uint32_t CapConfig::imageSize() const { return static_cast<std::uint32_t>(i32(kSizeImage)); }

std::uint32_t CapConfig::bitRateFor(std::int64_t frameTime, std::uint32_t imageSize) {
  // A zero or negative frame time would divide by zero; such a format has no meaningful rate.
  if (frameTime <= 0) return 0;
  const auto fps = static_cast<std::uint32_t>(10000000.0 / static_cast<double>(frameTime) + 0.49999999);
  return fps * imageSize * 8u;
}

void CapConfig::setSize(int width, int height) {
  setI32(kWidth, width);
  setI32(kHeight, height);
  const int bytesPerPixel = bitCount() == 24 ? 3 : 2;
  const auto image = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) *
                     static_cast<std::uint32_t>(bytesPerPixel);
  setI32(kSizeImage, static_cast<std::int32_t>(image));
  setI32(kBitRate, static_cast<std::int32_t>(bitRateFor(frameTime(), image)));
}

QString capConfigPath() { return AppContext::current().paths().programFolder + QStringLiteral("/CapConfig.dat"); }

}  // namespace lumivex
