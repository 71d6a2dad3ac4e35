#pragma once

// Internal to the recorder library: how each compressor maps onto FFmpeg and GStreamer.

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <array>

namespace lumivex::detail {

struct CompressorRow {
  const char* handler;      // four-character code
  const char* displayName;  // for the chooser
  const char* encoder;      // FFmpeg encoder name
  AVPixelFormat pixelFormat;
  bool hasQuality;
  bool lossless;
};

inline constexpr std::array<CompressorRow, 6> kCompressors{{
    {"MSVC", "Microsoft Video 1", "msvideo1", AV_PIX_FMT_RGB555LE, false, false},
    {"MJPG", "Motion JPEG", "mjpeg", AV_PIX_FMT_YUVJ420P, true, false},
    {"DIB ", "Full Frames (Uncompressed RGB)", "rawvideo", AV_PIX_FMT_BGR24, false, true},
    {"HFYU", "Huffyuv (lossless)", "huffyuv", AV_PIX_FMT_RGB24, false, true},
    {"ULRG", "Ut Video RGB (lossless)", "utvideo", AV_PIX_FMT_GBRP, false, true},
    {"FMP4", "MPEG-4 Part 2", "mpeg4", AV_PIX_FMT_YUV420P, true, false},
}};

const CompressorRow* findCompressorRow(const char* handler);

}  // namespace lumivex::detail
