#pragma once

#include "image/bitmap_info_header.h"

#include <QPainter>
#include <QRect>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QImage;
class QString;

namespace lumivex {

class CxFile;

// The program's in-memory picture: one heap block holding a BITMAPINFOHEADER, the palette and the pixel
// rows bottom row first (1, 4, 8 or 24 bits per pixel, 24-bit pixels blue-green-red, rows padded to
// 32 bits), with BMP/JPEG reading and writing and the still workspace's processing operations.
// Coordinates: x from the left, row/y from the BOTTOM row (row 0 is the last row on screen).
// Failures return false/null and leave their message in GetLastError(); nothing is shown to the user.
// Not thread-safe, except that GetProgress()/SetEscape() may be called from another thread while an
// operation runs.
class CxImage {
 public:
  enum ImageType : uint32_t { kTypeUnknown = 0, kTypeBmp = 1, kTypeJpg = 3 };

  CxImage();
  // Decodes a file; type 1 (BMP), 3 (JPEG) or 0 (detect). Check IsValid().
  CxImage(const QString& fileName, uint32_t imageType);
  // Decodes bytes in memory without keeping them; a grabbed frame is a bare BITMAPINFOHEADER + rows, type 1.
  CxImage(const uint8_t* buffer, size_t size, uint32_t imageType);
  CxImage(const CxImage& other);
  CxImage& operator=(const CxImage& other);
  CxImage(CxImage&& other) noexcept;
  CxImage& operator=(CxImage&& other) noexcept;
  ~CxImage();

  // Replaces the picture with a zeroed one; bpp is normalised to 1, 4, 8 or 24. Returns the DIB or null.
  uint8_t* Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imageType = kTypeUnknown);
  void Destroy();

  bool Load(const QString& fileName, uint32_t imageType);
  // Named type first, then detection (BMP, then JPEG) from the same start position.
  bool Decode(CxFile* file, uint32_t imageType);
  bool Decode(const uint8_t* buffer, size_t size, uint32_t imageType);
  // Writes the whole file or nothing: a failed save never leaves a partial file behind.
  bool Save(const QString& fileName, uint32_t imageType);
  bool Encode(CxFile* file, uint32_t imageType);
  // buffer must be empty; receives the encoded file.
  bool Encode(std::vector<uint8_t>& buffer, uint32_t imageType);

  // The equivalent of building from a rendered screen bitmap: 1-bit and indexed pictures keep their
  // depth, everything else becomes 24-bit.
  bool CreateFromQImage(const QImage& image);
  // A top-down copy (RGB888, Indexed8 or Mono); a null QImage without a picture.
  QImage ToQImage() const;
  // Stretches the whole picture onto the rectangle, nearest neighbour (width/height < 0: natural size).
  bool Draw(QPainter* painter, int x, int y, int width = -1, int height = -1,
            QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver) const;

  bool IsValid() const { return dib_ != nullptr; }
  uint32_t GetWidth() const { return static_cast<uint32_t>(head_.biWidth); }
  uint32_t GetHeight() const { return static_cast<uint32_t>(head_.biHeight); }
  uint32_t GetBpp() const { return head_.biBitCount; }
  uint32_t GetEffWidth() const { return effWidth_; }  // row stride in bytes
  uint32_t GetNumColors() const { return numColors_; }
  size_t GetSize() const { return dibSize_; }  // the whole DIB block
  uint8_t* GetDIB() { return dib_.get(); }
  const uint8_t* GetDIB() const { return dib_.get(); }
  // Row 0 is the bottom row; null past the last row or without a picture.
  uint8_t* GetBits(uint32_t row = 0);
  const uint8_t* GetBits(uint32_t row = 0) const;
  const BitmapInfoHeader& GetHeader() const { return head_; }

  RgbQuad* GetPalette();
  RgbQuad GetPaletteColor(uint32_t index) const;
  bool SetPaletteColor(uint32_t index, RgbQuad color);
  void SetGrayPalette();
  // Pixel access with bounds checks (outside the picture: index 0 / black, writes ignored).
  uint8_t GetPixelIndex(long x, long y) const;
  void SetPixelIndex(long x, long y, uint8_t index);
  RgbQuad GetPixelColor(long x, long y) const;
  void SetPixelColor(long x, long y, RgbQuad color);
  bool IsInside(long x, long y) const { return x >= 0 && y >= 0 && x < head_.biWidth && y < head_.biHeight; }

  uint32_t GetType() const { return type_; }
  void SetType(uint32_t imageType) { type_ = imageType; }
  void SetJpegQuality(uint8_t quality) { jpegQuality_ = quality; }
  uint8_t GetJpegQuality() const;
  long GetXDPI() const { return xdpi_; }
  long GetYDPI() const { return ydpi_; }
  void SetXDPI(long dpi);
  void SetYDPI(long dpi);
  long GetTransIndex() const { return transIndex_; }
  void SetTransIndex(long index) { transIndex_ = index; }
  RgbQuad GetTransColor() const { return transColor_; }
  void SetTransColor(RgbQuad color) { transColor_ = color; }
  // The raw EXIF block ("Exif\0\0" + TIFF data) of a JPEG it was decoded from, written back on JPEG save.
  const std::vector<uint8_t>& GetExif() const { return exif_; }
  void SetExif(std::vector<uint8_t> exif) { exif_ = std::move(exif); }

  const char* GetLastError() const { return lastError_; }
  void SetLastError(const char* text);
  long GetProgress() const { return progress_.load(std::memory_order_relaxed); }
  void SetProgress(long percent) { progress_.store(percent, std::memory_order_relaxed); }
  long GetEscape() const { return escape_.load(std::memory_order_relaxed); }
  // Any nonzero value stops a running operation between rows (the rows already done stay changed).
  void SetEscape(long escape) { escape_.store(escape, std::memory_order_relaxed); }

  // The optional selection limiting the processing operations (absent: the whole picture).
  bool SelectionCreate();
  bool SelectionDelete();
  bool SelectionIsValid() const { return !selection_.empty(); }
  bool SelectionAddRect(const QRect& rect);  // x from the left, y from the bottom row
  bool SelectionAddPixel(long x, long y);
  bool SelectionIsInside(long x, long y) const;
  QRect SelectionGetBox() const { return selectionBox_; }
  const uint8_t* SelectionMask() const { return selection_.empty() ? nullptr : selection_.data(); }

  // Processing. Each returns false without a picture (or when stopped by the escape flag).
  bool Mirror(bool mirrorSelection = false, bool mirrorAlpha = true);
  bool Flip(bool flipSelection = false, bool flipAlpha = true);
  bool Negative();
  bool Light(long brightness, long contrast = 0);
  bool Median(long kernelSize = 3);
  // kernel holds kernelSize x kernelSize weights, row by row.
  bool Filter(std::span<const long> kernel, long kernelSize, long factor, long offset);

  // Converts a palette picture to 24 bits (for the neighbourhood filters); true if already 24-bit.
  bool IncreaseBpp24();
  // Takes over the pixels (and header) of other, leaving this picture's other state alone.
  void TransferPixels(CxImage& other);

 private:
  friend class BmpCodec;
  friend class CxImageJPG;

  // Create without clearing the rows, for decoders that fill every row byte themselves.
  uint8_t* CreateUninitialised(uint32_t width, uint32_t height, uint32_t bpp, uint32_t imageType);
  bool DecodeAs(CxFile& file, uint32_t imageType);
  void CopyStateFrom(const CxImage& other);

  std::unique_ptr<uint8_t[]> dib_;
  size_t dibSize_ = 0;
  BitmapInfoHeader head_{};
  uint32_t effWidth_ = 0;
  uint32_t numColors_ = 0;
  uint32_t type_ = kTypeUnknown;
  float jpegQuality_ = 90.0f;
  long xdpi_ = 96;
  long ydpi_ = 96;
  long transIndex_ = -1;
  RgbQuad transColor_{};
  std::vector<uint8_t> exif_;
  char lastError_[256] = {};
  std::atomic<long> progress_{0};
  std::atomic<long> escape_{0};
  std::vector<uint8_t> selection_;  // one byte per pixel, rows bottom-up; empty: no selection
  QRect selectionBox_;
};

}  // namespace lumivex
