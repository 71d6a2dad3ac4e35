#include "capture/recorder/compressor_catalog.h"

#include "capture/recorder/compressor_table.h"
#include "media/gst_ptr.h"

#include <QByteArray>

#include <cstring>

#include <gst/riff/riff-media.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace lumivex {
namespace detail {

const CompressorRow* findCompressorRow(const char* handler) {
  for (const CompressorRow& row : kCompressors) {
    if (std::strcmp(row.handler, handler) == 0) return &row;
  }
  return nullptr;
}

}  // namespace detail

namespace {

CompressorInfo infoOf(const detail::CompressorRow& row) {
  return {QString::fromLatin1(row.handler), QString::fromLatin1(row.displayName), row.hasQuality, row.lossless};
}

bool encodableInAvi(const detail::CompressorRow& row) {
  const AVCodec* codec = avcodec_find_encoder_by_name(row.encoder);
  const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
  if (!codec || !avi) return false;
  if (avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) != 1) return false;
  // The pixel format we convert to must be one the encoder takes.
  if (codec->pix_fmts) {
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
      if (*f == row.pixelFormat) return true;
    }
    return false;
  }
  return true;
}

// Whether GStreamer's AVI reader maps the code to a media type and some decoder here takes that type
// (uncompressed pictures need none).
bool playable(const detail::CompressorRow& row) {
  if (!ensureGstreamer()) return true;
  const QByteArray code(row.handler, 4);
  const guint32 fourcc = GST_MAKE_FOURCC(code[0], code[1], code[2], code[3]);
  gst_riff_strf_vids format{};
  format.size = sizeof format;
  format.width = 640;
  format.height = 480;
  format.planes = 1;
  format.bit_cnt = 24;
  format.compression = fourcc;
  GstCapsPtr caps(gst_riff_create_video_caps(fourcc, nullptr, &format, nullptr, nullptr, nullptr));
  if (!caps || gst_caps_is_empty(caps.get())) return false;
  const GstStructure* first = gst_caps_get_structure(caps.get(), 0);
  if (gst_structure_has_name(first, "video/x-raw")) return true;
  GList* decoders = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL);
  GList* takers = gst_element_factory_list_filter(decoders, caps.get(), GST_PAD_SINK, FALSE);
  const bool found = takers != nullptr;
  gst_plugin_feature_list_free(takers);
  gst_plugin_feature_list_free(decoders);
  return found;
}

}  // namespace

const std::vector<CompressorInfo>& CompressorCatalog::known() {
  static const std::vector<CompressorInfo> list = [] {
    std::vector<CompressorInfo> out;
    for (const detail::CompressorRow& row : detail::kCompressors) out.push_back(infoOf(row));
    return out;
  }();
  return list;
}

const std::vector<CompressorInfo>& CompressorCatalog::available() {
  static const std::vector<CompressorInfo> list = [] {
    std::vector<CompressorInfo> out;
    for (const detail::CompressorRow& row : detail::kCompressors) {
      if (encodableInAvi(row) && playable(row)) out.push_back(infoOf(row));
    }
    return out;
  }();
  return list;
}

const CompressorInfo* CompressorCatalog::find(const QString& handler) {
  for (const CompressorInfo& info : known()) {
    if (info.handler == handler) return &info;
  }
  return nullptr;
}

bool CompressorCatalog::isAvailable(const QString& handler) {
  for (const CompressorInfo& info : available()) {
    if (info.handler == handler) return true;
  }
  return false;
}

}  // namespace lumivex
