#include "image/cx_image_jpg.h"

#include "image/cx_file.h"
#include "image/cx_image.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace lumivex {
namespace {

constexpr size_t kStreamBufferSize = 65536;
constexpr int kMaxScans = 500;  // more than any real progressive file; stops scan-flood files early
constexpr long kMaxDecoderMemory = 512L * 1024 * 1024;
constexpr int kRowsPerCall = 16;
constexpr unsigned kExifMarker = JPEG_APP0 + 1;
constexpr unsigned kMaxMarkerData = 65533;

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the setjmp in
// the decode or encode function. Those functions keep no C++ objects with destructors alive across libjpeg
// calls, so the jump skips nothing.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void failWith(j_common_ptr cinfo, const char* text) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::snprintf(err->message, sizeof err->message, "%s", text);
  std::longjmp(err->jump, 1);
}

[[noreturn]] void errorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  // Running out of data, or meeting a marker in the middle of it, is fatal: a file that promises more
  // rows than it holds would otherwise come back as a grey-filled picture of the promised size.
  if (cinfo->err->msg_code == JWRN_JPEG_EOF || cinfo->err->msg_code == JWRN_HIT_MARKER) errorExit(cinfo);
  cinfo->err->num_warnings++;
}

void outputMessage(j_common_ptr) {}

void installErrorManager(ErrorManager& err, j_common_ptr cinfo) {
  cinfo->err = jpeg_std_error(&err.pub);
  err.pub.error_exit = errorExit;
  err.pub.emit_message = emitMessage;
  err.pub.output_message = outputMessage;
  err.message[0] = '\0';
}

void progressMonitor(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    failWith(cinfo, "JPEG has too many scans");
  }
}

// ---- source and destination over CxFile ----

struct Source {
  jpeg_source_mgr pub;
  CxFile* file;
  bool startOfFile;
  JOCTET buffer[kStreamBufferSize];
};

void initSource(j_decompress_ptr cinfo) { reinterpret_cast<Source*>(cinfo->src)->startOfFile = true; }

boolean fillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<Source*>(cinfo->src);
  size_t got = src->file->Read(src->buffer, 1, kStreamBufferSize);
  if (got == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    got = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  src->startOfFile = false;
  return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
  auto* src = reinterpret_cast<Source*>(cinfo->src);
  if (count <= 0) return;
  while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
    count -= static_cast<long>(src->pub.bytes_in_buffer);
    fillInputBuffer(cinfo);
  }
  src->pub.next_input_byte += count;
  src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void termSource(j_decompress_ptr) {}

struct Destination {
  jpeg_destination_mgr pub;
  CxFile* file;
  JOCTET buffer[kStreamBufferSize];
};

void initDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kStreamBufferSize;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  if (dest->file->Write(dest->buffer, 1, kStreamBufferSize) != kStreamBufferSize) {
    failWith(reinterpret_cast<j_common_ptr>(cinfo), "Error writing JPEG file");
  }
  initDestination(cinfo);
  return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  const size_t used = kStreamBufferSize - dest->pub.free_in_buffer;
  if (used > 0 && dest->file->Write(dest->buffer, 1, used) != used) {
    failWith(reinterpret_cast<j_common_ptr>(cinfo), "Error writing JPEG file");
  }
  dest->file->Flush();
}

// The libjpeg structures and their buffers, released in the destructor however decoding ends.
struct Decompressor {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  Source src{};
  std::vector<uint8_t> cmykRow;
  bool created = false;
  ~Decompressor() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

struct Compressor {
  jpeg_compress_struct cinfo{};
  ErrorManager err{};
  Destination dest{};
  std::vector<uint8_t> greyRows;
  bool created = false;
  ~Compressor() {
    if (created) jpeg_destroy_compress(&cinfo);
  }
};

bool exifHeaderValid(const uint8_t* data, size_t length) {
  if (length < 14) return false;
  const uint8_t* tiff = data + 6;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I' && tiff[2] == 42 && tiff[3] == 0;
  const bool big = tiff[0] == 'M' && tiff[1] == 'M' && tiff[2] == 0 && tiff[3] == 42;
  if (!little && !big) return false;
  const uint32_t ifd = little ? (tiff[4] | (tiff[5] << 8) | (tiff[6] << 16) | (static_cast<uint32_t>(tiff[7]) << 24))
                              : ((static_cast<uint32_t>(tiff[4]) << 24) | (tiff[5] << 16) | (tiff[6] << 8) | tiff[7]);
  return ifd >= 8 && ifd + 2 <= length - 6;
}

void keepExif(CxImage& image, const jpeg_decompress_struct& cinfo) {
  for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr; marker = marker->next) {
    if (marker->marker != kExifMarker || marker->data_length < 6 || std::memcmp(marker->data, "Exif\0\0", 6) != 0)
      continue;
    if (!exifHeaderValid(marker->data, marker->data_length)) {
      // The picture itself is fine; the block is dropped rather than written back broken.
      image.SetLastError("Incorrect Exif header");
      continue;
    }
    image.SetExif(std::vector<uint8_t>(marker->data, marker->data + marker->data_length));
    return;
  }
}

long densityToDpi(const jpeg_decompress_struct& cinfo, UINT16 density) {
  if (!cinfo.saw_JFIF_marker || density == 0) return 96;
  if (cinfo.density_unit == 1) return density;
  if (cinfo.density_unit == 2) return std::lround(density * 2.54);
  return 96;
}

// Adobe writes CMYK inverted; either way R = (255 - C) x (255 - K) / 255 on the true values.
void cmykToBgr(const uint8_t* in, uint8_t* out, uint32_t width, bool inverted) {
  for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
    const int c = inverted ? in[0] : 255 - in[0];
    const int m = inverted ? in[1] : 255 - in[1];
    const int y = inverted ? in[2] : 255 - in[2];
    const int k = inverted ? in[3] : 255 - in[3];
    out[0] = static_cast<uint8_t>(y * k / 255);
    out[1] = static_cast<uint8_t>(m * k / 255);
    out[2] = static_cast<uint8_t>(c * k / 255);
  }
}

bool createFor(Decompressor& d, CxImage& image, uint32_t bpp) {
  if (CxImageJPG::CreateUncleared(image, d.cinfo.image_width, d.cinfo.image_height, bpp) == nullptr) {
    const size_t length = std::min(std::strlen(image.GetLastError()), sizeof d.err.message - 1);
    std::memcpy(d.err.message, image.GetLastError(), length);
    d.err.message[length] = '\0';
    return false;
  }
  if (bpp == 8) image.SetGrayPalette();
  if (d.cinfo.out_color_space == JCS_CMYK) d.cmykRow.resize(static_cast<size_t>(d.cinfo.image_width) * 4);
  return true;
}

}  // namespace

namespace {

// Everything alive across a libjpeg call here is trivially destructible (see ErrorManager).
bool decodeWithJump(Decompressor& d, CxImage& image, CxFile& file) {
  jpeg_decompress_struct& cinfo = d.cinfo;
  installErrorManager(d.err, reinterpret_cast<j_common_ptr>(&cinfo));
  if (setjmp(d.err.jump) != 0) return false;
  jpeg_create_decompress(&cinfo);
  d.created = true;
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  d.src.pub.init_source = initSource;
  d.src.pub.fill_input_buffer = fillInputBuffer;
  d.src.pub.skip_input_data = skipInputData;
  d.src.pub.resync_to_restart = jpeg_resync_to_restart;
  d.src.pub.term_source = termSource;
  d.src.file = &file;
  cinfo.src = &d.src.pub;
  d.progress.progress_monitor = progressMonitor;
  cinfo.progress = &d.progress;
  jpeg_save_markers(&cinfo, kExifMarker, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);

  uint32_t bpp = 24;
  if (cinfo.jpeg_color_space == JCS_GRAYSCALE) {
    cinfo.out_color_space = JCS_GRAYSCALE;
    bpp = 8;
  } else if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
  } else {
    cinfo.out_color_space = JCS_EXT_BGR;
  }
  // The size is checked against the picture limits before libjpeg allocates anything for it.
  if (!createFor(d, image, bpp)) return false;
  keepExif(image, cinfo);

  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != image.GetWidth() || cinfo.output_height != image.GetHeight()) {
    std::snprintf(d.err.message, sizeof d.err.message, "%s", "JPEG output size mismatch");
    return false;
  }
  const uint32_t height = cinfo.output_height;
  const bool cmyk = cinfo.out_color_space == JCS_CMYK;
  JSAMPROW rows[kRowsPerCall];
  while (cinfo.output_scanline < height) {
    const uint32_t line = cinfo.output_scanline;
    if (cmyk) {
      rows[0] = d.cmykRow.data();
      if (jpeg_read_scanlines(&cinfo, rows, 1) == 1) {
        cmykToBgr(d.cmykRow.data(), image.GetBits(height - 1 - line), cinfo.output_width, cinfo.saw_Adobe_marker);
      }
      continue;
    }
    const uint32_t batch = std::min<uint32_t>(kRowsPerCall, height - line);
    for (uint32_t i = 0; i < batch; ++i) rows[i] = image.GetBits(height - 1 - line - i);
    jpeg_read_scanlines(&cinfo, rows, batch);
  }
  image.SetXDPI(densityToDpi(cinfo, cinfo.X_density));
  image.SetYDPI(densityToDpi(cinfo, cinfo.Y_density));
  jpeg_finish_decompress(&cinfo);
  return true;
}

// What the encoder reads: the picture's size and layout, and its rows from the top (slot is the row's
// place in the current batch of kRowsPerCall, for sources that convert a row into a buffer of their own).
struct EncodeSource {
  uint32_t width = 0;
  uint32_t height = 0;
  int components = 3;
  J_COLOR_SPACE space = JCS_EXT_BGR;
  int quality = 75;
  long xdpi = 96;
  long ydpi = 96;
  const std::vector<uint8_t>* exif = nullptr;
  std::function<JSAMPROW(uint32_t line, uint32_t slot)> row;
};

bool encodeWithJump(Compressor& c, const EncodeSource& source, CxFile& file) {
  jpeg_compress_struct& cinfo = c.cinfo;
  installErrorManager(c.err, reinterpret_cast<j_common_ptr>(&cinfo));
  if (setjmp(c.err.jump) != 0) return false;
  jpeg_create_compress(&cinfo);
  c.created = true;
  c.dest.pub.init_destination = initDestination;
  c.dest.pub.empty_output_buffer = emptyOutputBuffer;
  c.dest.pub.term_destination = termDestination;
  c.dest.file = &file;
  cinfo.dest = &c.dest.pub;

  const uint32_t height = source.height;
  cinfo.image_width = source.width;
  cinfo.image_height = height;
  cinfo.input_components = source.components;
  cinfo.in_color_space = source.space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(source.quality, 1, 100), TRUE);
  cinfo.density_unit = 1;
  cinfo.X_density = static_cast<UINT16>(std::clamp<long>(source.xdpi, 1, 65535));
  cinfo.Y_density = static_cast<UINT16>(std::clamp<long>(source.ydpi, 1, 65535));
  const bool writeExif = source.exif && !source.exif->empty() && source.exif->size() <= kMaxMarkerData;
  // An EXIF file starts with its APP1 block; the JFIF block would stand in front of it.
  if (writeExif) cinfo.write_JFIF_header = FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  if (writeExif)
    jpeg_write_marker(&cinfo, kExifMarker, source.exif->data(), static_cast<unsigned>(source.exif->size()));

  JSAMPROW rows[kRowsPerCall];
  while (cinfo.next_scanline < height) {
    const uint32_t line = cinfo.next_scanline;
    const uint32_t batch = std::min<uint32_t>(kRowsPerCall, height - line);
    for (uint32_t i = 0; i < batch; ++i) rows[i] = source.row(line + i, i);
    jpeg_write_scanlines(&cinfo, rows, batch);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

uint8_t* CxImageJPG::CreateUncleared(CxImage& image, uint32_t width, uint32_t height, uint32_t bpp) {
  return image.CreateUninitialised(width, height, bpp, CxImage::kTypeJpg);
}

bool CxImageJPG::Decode(CxImage& image, CxFile& file) {
  auto d = std::make_unique<Decompressor>();
  if (decodeWithJump(*d, image, file)) return true;
  const std::string message = d->err.message[0] != '\0' ? d->err.message : "JPEG decoding failed";
  image.Destroy();
  image.SetLastError(message.c_str());
  return false;
}

bool CxImageJPG::Encode(CxImage& image, CxFile& file) {
  if (!image.IsValid()) {
    image.SetLastError("null image!!!");
    return false;
  }
  bool grey = false;
  bool identityPalette = true;
  if (image.GetBpp() == 8) {
    grey = true;
    for (uint32_t i = 0; i < 256 && grey; ++i) {
      const RgbQuad p = image.GetPaletteColor(i);
      grey = p.red == p.green && p.green == p.blue;
      identityPalette = identityPalette && p.red == i;
    }
  }
  if (image.GetBpp() != 24 && !grey) {
    image.SetLastError("JPEG can save only RGB or GreyScale images");
    return false;
  }
  auto c = std::make_unique<Compressor>();
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  if (grey && !identityPalette) c->greyRows.resize(static_cast<size_t>(kRowsPerCall) * width);
  EncodeSource source;
  source.width = width;
  source.height = height;
  source.components = grey ? 1 : 3;
  source.space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  source.quality = image.GetJpegQuality();
  source.xdpi = image.GetXDPI();
  source.ydpi = image.GetYDPI();
  source.exif = &image.GetExif();
  Compressor& compressor = *c;
  source.row = [&](uint32_t line, uint32_t slot) -> JSAMPROW {
    uint8_t* row = image.GetBits(height - 1 - line);
    if (compressor.greyRows.empty()) return row;
    // Grey palette in another order: write the palette's levels.
    uint8_t* levels = compressor.greyRows.data() + static_cast<size_t>(slot) * width;
    for (uint32_t x = 0; x < width; ++x) levels[x] = image.GetPaletteColor(row[x]).red;
    return levels;
  };
  if (encodeWithJump(*c, source, file)) return true;
  image.SetLastError(c->err.message[0] != '\0' ? c->err.message : "JPEG encoding failed");
  return false;
}

bool CxImageJPG::EncodeRgb32(const QImage& image, int quality, const std::vector<uint8_t>& exif, CxFile& file,
                             std::string* error) {
  if (image.isNull() || (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)) {
    if (error) *error = "not a 32-bit picture";
    return false;
  }
  auto c = std::make_unique<Compressor>();
  EncodeSource source;
  source.width = static_cast<uint32_t>(image.width());
  source.height = static_cast<uint32_t>(image.height());
  // 0xffRRGGBB words: B, G, R, X in memory on little-endian machines, X, R, G, B on big-endian ones.
  source.components = 4;
  source.space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  source.quality = quality;
  source.exif = &exif;
  // libjpeg only reads the rows it is given.
  source.row = [&](uint32_t line, uint32_t) {
    return const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(line)));
  };
  if (encodeWithJump(*c, source, file)) return true;
  if (error) *error = c->err.message[0] != '\0' ? c->err.message : "JPEG encoding failed";
  return false;
}

}  // namespace lumivex
