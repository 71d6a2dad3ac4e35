#include "library/video_first_frame.h"

#include <QFile>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace lumivex {
namespace {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};

// A broken file must not keep a worker busy: stop after this many packets without a picture.
constexpr int kMaxPackets = 500;

QImage toImage(const AVFrame& frame, QSize target) {
  if (frame.width <= 0 || frame.height <= 0) return {};
  const QSize size = target.isEmpty() ? QSize(frame.width, frame.height) : target;
  std::unique_ptr<SwsContext, ScalerFreer> scaler(
      sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), size.width(), size.height(),
                     AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
  if (!scaler) return {};
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return {};
  uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
  int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
  if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0) return {};
  return image;
}

}  // namespace

QImage VideoFirstFrame::read(const QString& path, QSize target) {
  const QByteArray name = QFile::encodeName(path);
  AVFormatContext* rawFormat = nullptr;
  if (avformat_open_input(&rawFormat, name.constData(), nullptr, nullptr) < 0) return {};
  std::unique_ptr<AVFormatContext, FormatCloser> format(rawFormat);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) return {};
  const AVCodec* codec = nullptr;
  const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (stream < 0 || codec == nullptr) return {};
  std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
  if (!decoder || avcodec_parameters_to_context(decoder.get(), format->streams[stream]->codecpar) < 0) return {};
  decoder->thread_count = 1;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return {};

  std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
  if (!packet || !frame) return {};
  bool draining = false;
  for (int packets = 0; packets < kMaxPackets;) {
    if (!draining) {
      const int read = av_read_frame(format.get(), packet.get());
      if (read < 0) {
        draining = true;
        avcodec_send_packet(decoder.get(), nullptr);
      } else {
        ++packets;
        const bool ours = packet->stream_index == stream;
        if (ours) avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        if (!ours) continue;
      }
    }
    const int received = avcodec_receive_frame(decoder.get(), frame.get());
    if (received == 0) return toImage(*frame, target);
    if (received == AVERROR_EOF || (draining && received != AVERROR(EAGAIN))) return {};
    if (draining && received == AVERROR(EAGAIN)) return {};
  }
  return {};
}

}  // namespace lumivex
