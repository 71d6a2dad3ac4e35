#include "image/cx_image.h"

#include "core/atomic_file.h"
#include "image/bmp_codec.h"
#include "image/cx_image_jpg.h"
#include "image/cx_io_file.h"
#include "image/cx_mem_file.h"
#include "image/image_operations.h"
#include "image/neighbourhood_filters.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace lumivex {
namespace {

constexpr uint64_t kMaxBits = 0x80000000ULL;  // the largest picture, in bits of pixel data
constexpr double kInchesPerMeter = 0.0254;

int32_t dpiToPelsPerMeter(long dpi) {
  return static_cast<int32_t>(std::lround(static_cast<double>(dpi) / kInchesPerMeter));
}

uint32_t normaliseBpp(uint32_t bpp) {
  if (bpp <= 1) return 1;
  if (bpp <= 4) return 4;
  if (bpp <= 8) return 8;
  return 24;
}

}  // namespace

CxImage::CxImage() = default;

CxImage::CxImage(const QString& fileName, uint32_t imageType) { Load(fileName, imageType); }

CxImage::CxImage(const uint8_t* buffer, size_t size, uint32_t imageType) { Decode(buffer, size, imageType); }

CxImage::CxImage(const CxImage& other) { *this = other; }

CxImage& CxImage::operator=(const CxImage& other) {
  if (this == &other) return *this;
  Destroy();
  if (other.dib_ != nullptr) {
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[other.dibSize_]);
    if (copy == nullptr) {
      SetLastError("CxImage::Create can't allocate memory");
      return *this;
    }
    std::memcpy(copy.get(), other.dib_.get(), other.dibSize_);
    dib_ = std::move(copy);
    dibSize_ = other.dibSize_;
    head_ = other.head_;
    effWidth_ = other.effWidth_;
    numColors_ = other.numColors_;
  }
  CopyStateFrom(other);
  return *this;
}

CxImage::CxImage(CxImage&& other) noexcept { *this = std::move(other); }

CxImage& CxImage::operator=(CxImage&& other) noexcept {
  if (this == &other) return *this;
  dib_ = std::move(other.dib_);
  dibSize_ = other.dibSize_;
  head_ = other.head_;
  effWidth_ = other.effWidth_;
  numColors_ = other.numColors_;
  CopyStateFrom(other);
  other.Destroy();
  return *this;
}

CxImage::~CxImage() = default;

void CxImage::CopyStateFrom(const CxImage& other) {
  type_ = other.type_;
  jpegQuality_ = other.jpegQuality_;
  xdpi_ = other.xdpi_;
  ydpi_ = other.ydpi_;
  transIndex_ = other.transIndex_;
  transColor_ = other.transColor_;
  exif_ = other.exif_;
  std::memcpy(lastError_, other.lastError_, sizeof lastError_);
  progress_.store(other.progress_.load());
  escape_.store(other.escape_.load());
  selection_ = other.selection_;
  selectionBox_ = other.selectionBox_;
}

void CxImage::Destroy() {
  dib_.reset();
  dibSize_ = 0;
  head_ = {};
  effWidth_ = 0;
  numColors_ = 0;
  exif_.clear();
  selection_.clear();
  selectionBox_ = {};
}

void CxImage::SetLastError(const char* text) {
  std::snprintf(lastError_, sizeof lastError_, "%s", text != nullptr ? text : "");
}

uint8_t* CxImage::CreateUninitialised(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imageType) {
  Destroy();
  if (width == 0 || height == 0) {
    SetLastError("CxImage::Create : width and height must be greater than zero");
    return nullptr;
  }
  bpp = normaliseBpp(bpp);
  // Computed in 64 bits: a 32-bit product can wrap to a small number and pass the limit.
  const uint64_t pixels = static_cast<uint64_t>(width) * height;
  if (width > INT32_MAX || height > INT32_MAX || pixels > UINT32_MAX || ((pixels * bpp) & ~7ULL) > kMaxBits) {
    SetLastError("CXIMAGE_MAX_MEMORY exceeded");
    return nullptr;
  }
  const uint64_t stride = dibStride(width, bpp);
  const uint32_t colors = bpp == 24 ? 0 : (1u << bpp);
  const size_t size = sizeof(BitmapInfoHeader) + colors * sizeof(RgbQuad) + static_cast<size_t>(stride * height);
  dib_.reset(new (std::nothrow) uint8_t[size]);
  if (dib_ == nullptr) {
    SetLastError("CxImage::Create can't allocate memory");
    return nullptr;
  }
  dibSize_ = size;
  effWidth_ = static_cast<uint32_t>(stride);
  numColors_ = colors;
  head_ = {};
  head_.biSize = sizeof(BitmapInfoHeader);
  head_.biWidth = static_cast<int32_t>(width);
  head_.biHeight = static_cast<int32_t>(height);
  head_.biPlanes = 1;
  head_.biBitCount = static_cast<uint16_t>(bpp);
  head_.biCompression = kBiRgb;
  head_.biSizeImage = static_cast<uint32_t>(stride * height);
  xdpi_ = 96;
  ydpi_ = 96;
  head_.biXPelsPerMeter = dpiToPelsPerMeter(xdpi_);
  head_.biYPelsPerMeter = dpiToPelsPerMeter(ydpi_);
  std::memcpy(dib_.get(), &head_, sizeof head_);
  std::memset(dib_.get() + sizeof head_, 0, colors * sizeof(RgbQuad));
  // Padding bytes are zeroed so written files never carry stale memory.
  const size_t rowBytes = (static_cast<uint64_t>(width) * bpp + 7) / 8;
  if (rowBytes < stride) {
    for (uint32_t y = 0; y < height; ++y) std::memset(GetBits(y) + rowBytes, 0, stride - rowBytes);
  }
  type_ = imageType;
  return dib_.get();
}

uint8_t* CxImage::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imageType) {
  uint8_t* dib = CreateUninitialised(width, height, bpp, imageType);
  if (dib != nullptr) std::memset(GetBits(0), 0, static_cast<size_t>(effWidth_) * height);
  return dib;
}

uint8_t* CxImage::GetBits(uint32_t row) {
  if (dib_ == nullptr || row >= GetHeight()) return nullptr;
  return dib_.get() + sizeof(BitmapInfoHeader) + numColors_ * sizeof(RgbQuad) + static_cast<size_t>(row) * effWidth_;
}

const uint8_t* CxImage::GetBits(uint32_t row) const { return const_cast<CxImage*>(this)->GetBits(row); }

RgbQuad* CxImage::GetPalette() {
  if (dib_ == nullptr || numColors_ == 0) return nullptr;
  return reinterpret_cast<RgbQuad*>(dib_.get() + sizeof(BitmapInfoHeader));
}

RgbQuad CxImage::GetPaletteColor(uint32_t index) const {
  const RgbQuad* palette = const_cast<CxImage*>(this)->GetPalette();
  return palette != nullptr && index < numColors_ ? palette[index] : RgbQuad{};
}

bool CxImage::SetPaletteColor(uint32_t index, RgbQuad color) {
  RgbQuad* palette = GetPalette();
  if (palette == nullptr || index >= numColors_) return false;
  palette[index] = color;
  return true;
}

void CxImage::SetGrayPalette() {
  RgbQuad* palette = GetPalette();
  if (palette == nullptr) return;
  for (uint32_t i = 0; i < numColors_; ++i) {
    const auto level = static_cast<uint8_t>(i * 255 / (numColors_ - 1));
    palette[i] = RgbQuad{level, level, level, 0};
  }
}

uint8_t CxImage::GetPixelIndex(long x, long y) const {
  if (!IsValid() || !IsInside(x, y) || GetBpp() == 24) return 0;
  const uint8_t* row = GetBits(static_cast<uint32_t>(y));
  switch (GetBpp()) {
    case 8:
      return row[x];
    case 4:
      return static_cast<uint8_t>((row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0x0F);
    default:
      return static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
  }
}

void CxImage::SetPixelIndex(long x, long y, uint8_t index) {
  if (!IsValid() || !IsInside(x, y) || GetBpp() == 24) return;
  uint8_t* row = GetBits(static_cast<uint32_t>(y));
  switch (GetBpp()) {
    case 8:
      row[x] = index;
      break;
    case 4: {
      const int shift = (x & 1) != 0 ? 0 : 4;
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
      break;
    }
    default: {
      const int shift = 7 - static_cast<int>(x & 7);
      row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
      break;
    }
  }
}

RgbQuad CxImage::GetPixelColor(long x, long y) const {
  if (!IsValid() || !IsInside(x, y)) return RgbQuad{};
  if (GetBpp() != 24) return GetPaletteColor(GetPixelIndex(x, y));
  const uint8_t* p = GetBits(static_cast<uint32_t>(y)) + x * 3;
  return RgbQuad{p[0], p[1], p[2], 0};
}

void CxImage::SetPixelColor(long x, long y, RgbQuad color) {
  if (!IsValid() || !IsInside(x, y)) return;
  if (GetBpp() == 24) {
    uint8_t* p = GetBits(static_cast<uint32_t>(y)) + x * 3;
    p[0] = color.blue;
    p[1] = color.green;
    p[2] = color.red;
    return;
  }
  // Palette pictures take the nearest palette entry.
  long best = LONG_MAX;
  uint8_t bestIndex = 0;
  for (uint32_t i = 0; i < numColors_; ++i) {
    const RgbQuad c = GetPaletteColor(i);
    const long d = (c.blue - color.blue) * (c.blue - color.blue) + (c.green - color.green) * (c.green - color.green) +
                   (c.red - color.red) * (c.red - color.red);
    if (d < best) {
      best = d;
      bestIndex = static_cast<uint8_t>(i);
    }
  }
  SetPixelIndex(x, y, bestIndex);
}

uint8_t CxImage::GetJpegQuality() const {
  return static_cast<uint8_t>(std::clamp(std::lround(jpegQuality_), 0L, 255L));
}

void CxImage::SetXDPI(long dpi) {
  xdpi_ = dpi > 0 ? dpi : 96;
  head_.biXPelsPerMeter = dpiToPelsPerMeter(xdpi_);
  if (dib_ != nullptr) std::memcpy(dib_.get(), &head_, sizeof head_);
}

void CxImage::SetYDPI(long dpi) {
  ydpi_ = dpi > 0 ? dpi : 96;
  head_.biYPelsPerMeter = dpiToPelsPerMeter(ydpi_);
  if (dib_ != nullptr) std::memcpy(dib_.get(), &head_, sizeof head_);
}

// ---- decoding and encoding ----

bool CxImage::Load(const QString& fileName, uint32_t imageType) {
  CxIOFile file;
  if (!file.Open(fileName, "rb")) {
    Destroy();
    // The system's words say what is wrong: a missing file, a directory, a FIFO, no permission.
    SetLastError(("can't open file for reading: " + file.OpenError()).toLocal8Bit().constData());
    return false;
  }
  return Decode(&file, imageType);
}

bool CxImage::DecodeAs(CxFile& file, uint32_t imageType) {
  if (imageType == kTypeBmp) return BmpCodec::Decode(*this, file);
  if (imageType == kTypeJpg) return CxImageJPG::Decode(*this, file);
  return false;
}

bool CxImage::Decode(CxFile* file, uint32_t imageType) {
  if (file == nullptr) {
    Destroy();
    SetLastError("null file handler");
    return false;
  }
  const int64_t start = file->Tell();
  std::string namedError;
  const bool named = imageType == kTypeBmp || imageType == kTypeJpg;
  if (named) {
    if (DecodeAs(*file, imageType)) return true;
    namedError = lastError_;
  }
  // Detection: BMP first, then JPEG, each from the same start; the named decoder is not tried twice.
  for (const uint32_t candidate : {uint32_t{kTypeBmp}, uint32_t{kTypeJpg}}) {
    if (named && candidate == imageType) continue;
    if (start < 0 || !file->Seek(start, SEEK_SET)) break;
    if (DecodeAs(*file, candidate)) return true;
  }
  Destroy();
  SetLastError(named ? namedError.c_str() : "Decode: Unknown or wrong format");
  return false;
}

bool CxImage::Decode(const uint8_t* buffer, size_t size, uint32_t imageType) {
  if (buffer == nullptr || size == 0) {
    Destroy();
    SetLastError("invalid or empty buffer");
    return false;
  }
  CxMemFile file(buffer, size);
  return Decode(&file, imageType);
}

bool CxImage::Encode(CxFile* file, uint32_t imageType) {
  if (file == nullptr) {
    SetLastError("null file handler");
    return false;
  }
  if (!IsValid()) {
    SetLastError("null image!!!");
    return false;
  }
  if (imageType == kTypeBmp) return BmpCodec::Encode(*this, *file);
  if (imageType == kTypeJpg) return CxImageJPG::Encode(*this, *file);
  SetLastError("Encode: Unknown format");
  return false;
}

bool CxImage::Encode(std::vector<uint8_t>& buffer, uint32_t imageType) {
  if (!buffer.empty()) {
    SetLastError("the buffer must be empty");
    return false;
  }
  CxMemFile file;
  if (imageType == kTypeBmp) file.Reserve(dibSize_ + kBmpFileHeaderSize);
  if (!Encode(&file, imageType)) return false;
  buffer = file.TakeBuffer();
  if (buffer.empty()) {
    SetLastError("invalid or empty buffer");
    return false;
  }
  return true;
}

bool CxImage::Save(const QString& fileName, uint32_t imageType) {
  // Encoded in memory first, so an unsupported type or a failed encode never creates or truncates the file.
  std::vector<uint8_t> bytes;
  if (!Encode(bytes, imageType)) return false;
  const QByteArray view =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  // The system's reason ("No space left on device") tells the user what to do about it.
  if (const WriteResult written = AtomicFile::write(fileName, view); !written) {
    SetLastError(written.reason.toLocal8Bit().constData());
    return false;
  }
  return true;
}

// ---- Qt bridges ----

bool CxImage::CreateFromQImage(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
    Destroy();
    SetLastError("GetDIBits failed");
    return false;
  }
  const auto width = static_cast<uint32_t>(image.width());
  const auto height = static_cast<uint32_t>(image.height());
  QImage source;
  uint32_t bpp = 24;
  if (image.depth() == 1) {
    source = image.convertToFormat(QImage::Format_Mono);
    bpp = 1;
  } else if (image.format() == QImage::Format_Indexed8) {
    source = image;
    bpp = 8;
  } else {
    source = image.convertToFormat(QImage::Format_BGR888);
  }
  if (source.isNull() || CreateUninitialised(width, height, bpp, kTypeUnknown) == nullptr) {
    if (source.isNull()) SetLastError("GetDIBits failed");
    Destroy();
    return false;
  }
  if (bpp != 24) {
    const QList<QRgb> table = source.colorTable();
    for (uint32_t i = 0; i < numColors_; ++i) {
      const QRgb c = i < static_cast<uint32_t>(table.size()) ? table[static_cast<qsizetype>(i)] : 0;
      SetPaletteColor(i, RgbQuad{static_cast<uint8_t>(qBlue(c)), static_cast<uint8_t>(qGreen(c)),
                                 static_cast<uint8_t>(qRed(c)), 0});
    }
  }
  const size_t rowBytes = (static_cast<size_t>(width) * bpp + 7) / 8;
  for (uint32_t y = 0; y < height; ++y) {
    std::memcpy(GetBits(height - 1 - y), source.constScanLine(static_cast<int>(y)), rowBytes);
  }
  return true;
}

QImage CxImage::ToQImage() const {
  if (!IsValid()) return {};
  const int width = head_.biWidth;
  const int height = head_.biHeight;
  QImage out;
  if (GetBpp() == 24) {
    out = QImage(width, height, QImage::Format_BGR888);
  } else {
    out = QImage(width, height, GetBpp() == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
    QList<QRgb> table;
    for (uint32_t i = 0; i < numColors_; ++i) {
      const RgbQuad c = GetPaletteColor(i);
      table.append(qRgb(c.red, c.green, c.blue));
    }
    out.setColorTable(table);
  }
  if (out.isNull()) return {};
  for (int y = 0; y < height; ++y) {
    uchar* target = out.scanLine(y);
    const uint8_t* row = GetBits(static_cast<uint32_t>(height - 1 - y));
    if (GetBpp() == 4) {
      for (int x = 0; x < width; ++x) target[x] = static_cast<uchar>((row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0x0F);
    } else {
      std::memcpy(target, row, (static_cast<size_t>(width) * GetBpp() + 7) / 8);
    }
  }
  out.setDotsPerMeterX(dpiToPelsPerMeter(xdpi_));
  out.setDotsPerMeterY(dpiToPelsPerMeter(ydpi_));
  return out;
}

bool CxImage::Draw(QPainter* painter, int x, int y, int width, int height, QPainter::CompositionMode mode) const {
  if (painter == nullptr || !IsValid()) return false;
  const int imageWidth = head_.biWidth;
  const int imageHeight = head_.biHeight;
  if (width < 0) width = imageWidth;
  if (height < 0) height = imageHeight;
  QImage view;
  if (GetBpp() == 24) {
    // A zero-copy view of the bottom-up rows; the transform below turns it upright.
    view = QImage(GetBits(0), imageWidth, imageHeight, static_cast<qsizetype>(effWidth_), QImage::Format_BGR888);
  } else {
    view = ToQImage().mirrored(false, true);
  }
  painter->save();
  painter->setCompositionMode(mode);
  painter->setRenderHint(QPainter::SmoothPixmapTransform, false);  // nearest neighbour, like COLORONCOLOR
  painter->translate(x, y + height);
  painter->scale(static_cast<double>(width) / imageWidth, -static_cast<double>(height) / imageHeight);
  painter->drawImage(QPointF(0, 0), view);
  painter->restore();
  return true;
}

// ---- selection ----

bool CxImage::SelectionCreate() {
  if (!IsValid()) return false;
  selection_.assign(static_cast<size_t>(GetWidth()) * GetHeight(), 0);
  selectionBox_ = {};
  return true;
}

bool CxImage::SelectionDelete() {
  selection_.clear();
  selectionBox_ = {};
  return true;
}

bool CxImage::SelectionAddRect(const QRect& rect) {
  if (!IsValid()) return false;
  if (selection_.empty() && !SelectionCreate()) return false;
  const QRect clipped = rect.normalized() & QRect(0, 0, head_.biWidth, head_.biHeight);
  if (clipped.isEmpty()) return false;
  for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
    std::memset(selection_.data() + static_cast<size_t>(y) * GetWidth() + clipped.left(), 1,
                static_cast<size_t>(clipped.width()));
  }
  selectionBox_ |= clipped;
  return true;
}

bool CxImage::SelectionAddPixel(long x, long y) {
  if (!IsInside(x, y)) return false;
  if (selection_.empty() && !SelectionCreate()) return false;
  selection_[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)] = 1;
  selectionBox_ |= QRect(static_cast<int>(x), static_cast<int>(y), 1, 1);
  return true;
}

bool CxImage::SelectionIsInside(long x, long y) const {
  if (!IsInside(x, y)) return false;
  if (selection_.empty()) return true;
  return selection_[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)] != 0;
}

// ---- processing ----

void CxImage::TransferPixels(CxImage& other) {
  dib_ = std::move(other.dib_);
  dibSize_ = other.dibSize_;
  head_ = other.head_;
  effWidth_ = other.effWidth_;
  numColors_ = other.numColors_;
  if (dib_ != nullptr) {
    head_.biXPelsPerMeter = dpiToPelsPerMeter(xdpi_);
    head_.biYPelsPerMeter = dpiToPelsPerMeter(ydpi_);
    std::memcpy(dib_.get(), &head_, sizeof head_);
  }
  other.Destroy();
}

bool CxImage::IncreaseBpp24() {
  if (!IsValid()) return false;
  if (GetBpp() == 24) return true;
  CxImage wide;
  if (wide.CreateUninitialised(GetWidth(), GetHeight(), 24, type_) == nullptr) {
    SetLastError(wide.GetLastError());
    return false;
  }
  for (uint32_t y = 0; y < GetHeight(); ++y) {
    uint8_t* out = wide.GetBits(y);
    for (uint32_t x = 0; x < GetWidth(); ++x, out += 3) {
      const RgbQuad c = GetPaletteColor(GetPixelIndex(x, y));
      out[0] = c.blue;
      out[1] = c.green;
      out[2] = c.red;
    }
  }
  TransferPixels(wide);
  transIndex_ = -1;
  return true;
}

namespace {
bool noPicture(CxImage& image) {
  if (image.IsValid()) return false;
  image.SetLastError("null image!!!");
  return true;
}
}  // namespace

bool CxImage::Mirror(bool mirrorSelection, bool /*mirrorAlpha: no alpha channel is kept*/) {
  return !noPicture(*this) && image_ops::mirror(*this, mirrorSelection);
}

bool CxImage::Flip(bool flipSelection, bool /*flipAlpha: no alpha channel is kept*/) {
  return !noPicture(*this) && image_ops::flip(*this, flipSelection);
}

bool CxImage::Negative() { return !noPicture(*this) && image_ops::negative(*this); }

bool CxImage::Light(long brightness, long contrast) {
  return !noPicture(*this) && image_ops::light(*this, brightness, contrast);
}

bool CxImage::Median(long kernelSize) { return !noPicture(*this) && image_ops::median(*this, kernelSize); }

bool CxImage::Filter(std::span<const long> kernel, long kernelSize, long factor, long offset) {
  return !noPicture(*this) && image_ops::filter(*this, kernel, kernelSize, factor, offset);
}

}  // namespace lumivex
