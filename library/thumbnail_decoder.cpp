#include "library/thumbnail_decoder.h"

#include "library/video_first_frame.h"

#include <QFile>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace lumivex {
namespace {

// Error handling of a libjpeg decompression: errors jump back to the decoding function; the premature
// end of a truncated file, only a warning to libjpeg, is recorded so the picture counts as unreadable.
struct JpegReader {
  jpeg_decompress_struct info{};
  jpeg_error_mgr error{};
  std::jmp_buf jump{};
  bool truncated = false;

  JpegReader() {
    info.err = jpeg_std_error(&error);
    error.error_exit = [](j_common_ptr common) {
      auto* self = reinterpret_cast<JpegReader*>(reinterpret_cast<char*>(common) - offsetof(JpegReader, info));
      std::longjmp(self->jump, 1);
    };
    error.emit_message = [](j_common_ptr common, int level) {
      if (level >= 0) return;
      auto* self = reinterpret_cast<JpegReader*>(reinterpret_cast<char*>(common) - offsetof(JpegReader, info));
      if (common->err->msg_code == JWRN_JPEG_EOF) self->truncated = true;
    };
    jpeg_create_decompress(&info);
  }
  ~JpegReader() { jpeg_destroy_decompress(&info); }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;
};

// The largest power-of-two reduction (up to 1/8) that still leaves at least the target size.
unsigned scaleDenominator(unsigned width, unsigned height, QSize target) {
  unsigned denom = 8;
  while (denom > 1 && (width / denom < static_cast<unsigned>(target.width()) ||
                       height / denom < static_cast<unsigned>(target.height()))) {
    denom /= 2;
  }
  return denom;
}

bool decodeJpeg(JpegReader& reader, const QByteArray& bytes, QSize target, QImage& out) {
  if (setjmp(reader.jump) != 0) return false;
  jpeg_mem_src(&reader.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&reader.info, TRUE) != JPEG_HEADER_OK) return false;
  reader.info.scale_num = 1;
  reader.info.scale_denom = scaleDenominator(reader.info.image_width, reader.info.image_height, target);
  reader.info.out_color_space = JCS_EXT_BGRX;  // the byte order of QImage::Format_RGB32 here
  reader.info.dct_method = JDCT_IFAST;
  reader.info.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&reader.info);
  if (reader.info.output_components != 4) return false;
  out = QImage(static_cast<int>(reader.info.output_width), static_cast<int>(reader.info.output_height),
               QImage::Format_RGB32);
  if (out.isNull()) return false;
  while (reader.info.output_scanline < reader.info.output_height) {
    JSAMPROW row = out.scanLine(static_cast<int>(reader.info.output_scanline));
    jpeg_read_scanlines(&reader.info, &row, 1);
    if (reader.truncated) return false;
  }
  jpeg_finish_decompress(&reader.info);
  return !reader.truncated;
}

template <typename T>
T readLe(const std::uint8_t* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

}  // namespace

QImage ThumbnailDecoder::picture(const QString& path, QSize target) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  if (path.endsWith(QLatin1String("jpg"), Qt::CaseInsensitive)) return jpeg(bytes, target);
  return bmp(bytes, target);
}

QImage ThumbnailDecoder::video(const QString& path, QSize target) {
  const QImage frame = VideoFirstFrame::read(path, target);
  if (frame.isNull() || frame.size() == target) return frame;
  return frame.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage ThumbnailDecoder::jpeg(const QByteArray& bytes, QSize target) {
  if (bytes.isEmpty() || target.isEmpty()) return {};
  QImage decoded;
  {
    JpegReader reader;
    if (!decodeJpeg(reader, bytes, target, decoded)) return {};
  }
  if (decoded.size() == target) return decoded;
  return decoded.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage ThumbnailDecoder::bmp(const QByteArray& bytes, QSize target) {
  constexpr qsizetype kFileHeader = 14;
  constexpr qsizetype kInfoHeader = 40;
  if (target.isEmpty() || bytes.size() < kFileHeader + kInfoHeader) return {};
  const auto* dib = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + kFileHeader;
  const auto dibSize = static_cast<std::uint64_t>(bytes.size() - kFileHeader);
  const auto headerSize = readLe<std::uint32_t>(dib);
  const auto width = readLe<std::int32_t>(dib + 4);
  const auto rawHeight = readLe<std::int32_t>(dib + 8);
  const auto bitCount = readLe<std::uint16_t>(dib + 14);
  const auto compression = readLe<std::uint32_t>(dib + 16);
  const auto colorsUsed = readLe<std::uint32_t>(dib + 32);
  constexpr std::int32_t kMaxSide = 1 << 16;
  if (headerSize < kInfoHeader || headerSize > dibSize || width <= 0 || width > kMaxSide || rawHeight == 0 ||
      rawHeight == INT32_MIN || std::abs(rawHeight) > kMaxSide) {
    return {};
  }
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;
  if (compression != 0 || !(bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32)) {
    return {};
  }
  std::uint64_t paletteCount = 0;
  if (bitCount <= 8) {
    paletteCount = colorsUsed != 0 ? colorsUsed : (1u << bitCount);
    if (paletteCount > (1u << bitCount)) return {};
  }
  const std::uint64_t paletteOffset = headerSize;
  const std::uint64_t pixelOffset = paletteOffset + paletteCount * 4;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
  if (pixelOffset + stride * static_cast<std::uint64_t>(height) > dibSize) return {};  // truncated

  QRgb palette[256] = {};
  for (std::uint64_t i = 0; i < paletteCount; ++i) {
    const std::uint8_t* q = dib + paletteOffset + i * 4;
    palette[i] = qRgb(q[2], q[1], q[0]);
  }
  QImage out(target, QImage::Format_RGB32);
  if (out.isNull()) return {};
  const std::uint8_t* pixels = dib + pixelOffset;
  for (int ty = 0; ty < target.height(); ++ty) {
    const std::int64_t sy = static_cast<std::int64_t>(ty) * height / target.height();
    const std::int64_t row = topDown ? sy : height - 1 - sy;
    const std::uint8_t* line = pixels + static_cast<std::uint64_t>(row) * stride;
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(ty));
    for (int tx = 0; tx < target.width(); ++tx) {
      const std::int64_t sx = static_cast<std::int64_t>(tx) * width / target.width();
      switch (bitCount) {
        case 24: {
          const std::uint8_t* p = line + sx * 3;
          dst[tx] = qRgb(p[2], p[1], p[0]);
          break;
        }
        case 32: {
          const std::uint8_t* p = line + sx * 4;
          dst[tx] = qRgb(p[2], p[1], p[0]);
          break;
        }
        case 8:
          dst[tx] = palette[line[sx]];
          break;
        case 4:
          dst[tx] = palette[(line[sx / 2] >> ((sx % 2) != 0 ? 0 : 4)) & 0x0F];
          break;
        default:
          dst[tx] = palette[(line[sx / 8] >> (7 - sx % 8)) & 1];
          break;
      }
    }
  }
  return out;
}

}  // namespace lumivex
