#include "capture/recorder/avi_writer.h"

#include "capture/recorder/compressor_table.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace lumivex {
namespace {

QString errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromLocal8Bit(text);
}

struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScalerFreer {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct OutputFreer {
  void operator()(AVFormatContext* f) const {
    if (f->pb) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};

// The quality scale of the chooser (0..10000) onto FFmpeg's quantiser (31 worst .. 2 best).
int quantiserFor(int quality) {
  if (quality < 0) return 3;
  const int q = 31 - (quality * 29 + 5000) / 10000;
  return std::clamp(q, 2, 31);
}

}  // namespace

struct AviWriter::Impl {
  std::unique_ptr<AVFormatContext, OutputFreer> output;
  std::unique_ptr<AVCodecContext, CodecFreer> encoder;
  std::unique_ptr<AVFrame, FrameFreer> frame;
  std::unique_ptr<AVPacket, PacketFreer> packet;
  std::unique_ptr<SwsContext, ScalerFreer> scaler;
  AVStream* stream = nullptr;  // owned by output
  bool msvideo1 = false;
  int scalerWidth = 0;
  int scalerHeight = 0;
};

AviWriter::AviWriter() {
  // FFmpeg's notes (chroma interpolation, deprecated full-range formats) are noise in the program's log;
  // failures come back as return values.
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_ERROR); });
}

AviWriter::~AviWriter() { abandon(); }

bool AviWriter::isOpen() const { return impl_ != nullptr; }

std::int64_t AviWriter::bytesWritten() const {
  if (!impl_ || !impl_->output->pb) return 0;
  return avio_tell(impl_->output->pb);
}

QSize AviWriter::acceptedSize(const QString& handler, QSize wanted) {
  // Microsoft Video 1 and Cinepak code 4 x 4 blocks; the YUV 4:2:0 ones need even sizes.
  int multiple = 2;
  if (handler == QLatin1String("MSVC") || handler == QLatin1String("cvid")) multiple = 4;
  return {std::max(multiple, wanted.width() / multiple * multiple),
          std::max(multiple, wanted.height() / multiple * multiple)};
}

QString AviWriter::open(const QString& path, const Format& format) {
  abandon();
  const QByteArray handler = format.options.handler.toLatin1();
  const detail::CompressorRow* row = detail::findCompressorRow(handler.constData());
  if (!row) return QStringLiteral("Unknown compressor \"%1\"").arg(format.options.handler);
  const AVCodec* codec = avcodec_find_encoder_by_name(row->encoder);
  if (!codec) return QStringLiteral("The compressor \"%1\" is not installed").arg(QLatin1String(row->displayName));
  if (format.rate <= 0 || format.size.isEmpty()) return QStringLiteral("Bad compresse format");

  auto impl = std::make_unique<Impl>();
  format_ = format;
  format_.size = acceptedSize(format.options.handler, format.size);
  path_ = path;
  createdHere_ = false;
  frames_ = 0;
  keyFrames_ = 0;
  lastKeyIndex_ = 0;

  const QByteArray name = QFile::encodeName(path);
  AVFormatContext* rawOutput = nullptr;
  int err = avformat_alloc_output_context2(&rawOutput, nullptr, "avi", name.constData());
  if (err < 0 || !rawOutput) return errorText(err);
  impl->output.reset(rawOutput);

  impl->stream = avformat_new_stream(impl->output.get(), nullptr);
  impl->encoder.reset(avcodec_alloc_context3(codec));
  impl->frame.reset(av_frame_alloc());
  impl->packet.reset(av_packet_alloc());
  if (!impl->stream || !impl->encoder || !impl->frame || !impl->packet) return errorText(AVERROR(ENOMEM));

  AVCodecContext& enc = *impl->encoder;
  enc.width = format_.size.width();
  enc.height = format_.size.height();
  enc.pix_fmt = row->pixelFormat;
  enc.time_base = AVRational{1, format_.rate};
  enc.framerate = AVRational{format_.rate, 1};
  enc.gop_size = format_.rate;
  enc.max_b_frames = 0;
  enc.thread_count = 0;
  // Slices only: frame threads hold pictures back, and a packet written as it is (writeEncoded) must not
  // overtake a compressed one.
  enc.thread_type = FF_THREAD_SLICE;
  impl->msvideo1 = codec->id == AV_CODEC_ID_MSVIDEO1;
  if (row->hasQuality) {
    enc.flags |= AV_CODEC_FLAG_QSCALE;
    enc.global_quality = FF_QP2LAMBDA * quantiserFor(format.options.quality);
  }
  if (codec->id == AV_CODEC_ID_MJPEG) enc.color_range = AVCOL_RANGE_JPEG;
  if (impl->output->oformat->flags & AVFMT_GLOBALHEADER) enc.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if ((err = avcodec_open2(&enc, codec, nullptr)) < 0) {
    return QStringLiteral("Unsupport compressed format (%1)").arg(errorText(err));
  }
  if ((err = avcodec_parameters_from_context(impl->stream->codecpar, &enc)) < 0) return errorText(err);
  impl->stream->time_base = enc.time_base;
  impl->stream->avg_frame_rate = enc.framerate;
  impl->stream->r_frame_rate = enc.framerate;

  impl->frame->format = enc.pix_fmt;
  impl->frame->width = enc.width;
  impl->frame->height = enc.height;
  if ((err = av_frame_get_buffer(impl->frame.get(), 0)) < 0) return errorText(err);

  const bool existed = QFileInfo::exists(path);
  if ((err = avio_open(&impl->output->pb, name.constData(), AVIO_FLAG_WRITE)) < 0) return errorText(err);
  createdHere_ = !existed;
  err = avformat_write_header(impl->output.get(), nullptr);
  // The header must be on disk now: a full disk shows up as a failed start, not a failed first frame.
  if (err >= 0) {
    avio_flush(impl->output->pb);
    err = impl->output->pb->error;
  }
  if (err < 0) {
    impl->output.reset();
    removeCreatedFile();
    return errorText(err);
  }
  impl_ = std::move(impl);
  return {};
}

QString AviWriter::write(const std::uint8_t* bgr, int width, int height, int stride, std::int64_t index) {
  if (!impl_) return QStringLiteral("The file is not open");
  if (width <= 0 || height <= 0 || !bgr) return QStringLiteral("Empty frame");
  Impl& im = *impl_;
  AVCodecContext& enc = *im.encoder;
  if (!im.scaler || im.scalerWidth != width || im.scalerHeight != height) {
    im.scaler.reset(sws_getContext(width, height, AV_PIX_FMT_BGR24, enc.width, enc.height, enc.pix_fmt, SWS_BILINEAR,
                                   nullptr, nullptr, nullptr));
    if (!im.scaler) return QStringLiteral("Cannot convert the frame");
    im.scalerWidth = width;
    im.scalerHeight = height;
  }
  int err = av_frame_make_writable(im.frame.get());
  if (err < 0) return errorText(err);
  const std::uint8_t* planes[4] = {bgr, nullptr, nullptr, nullptr};
  const int strides[4] = {stride, 0, 0, 0};
  sws_scale(im.scaler.get(), planes, strides, 0, height, im.frame->data, im.frame->linesize);

  // A key frame at least once per second of the stream, however many indexes were skipped.
  const bool keyDue = frames_ == 0 || index - lastKeyIndex_ >= format_.rate;
  im.frame->pts = index;
  im.frame->pict_type = keyDue ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
  // Microsoft Video 1 ignores the picture type; it makes a key frame when its count of delta frames
  // reaches keyint_min, which it reads for every frame.
  if (im.msvideo1) enc.keyint_min = keyDue ? 0 : INT_MAX;
  if ((err = avcodec_send_frame(&enc, im.frame.get())) < 0) return errorText(err);
  return drain();
}

QString AviWriter::writeEncoded(const QByteArray& frame, std::int64_t index) {
  if (!impl_) return QStringLiteral("The file is not open");
  Impl& im = *impl_;
  im.packet->data = reinterpret_cast<std::uint8_t*>(const_cast<char*>(frame.constData()));
  im.packet->size = static_cast<int>(frame.size());
  im.packet->pts = im.packet->dts = index;
  im.packet->duration = 1;
  im.packet->flags = AV_PKT_FLAG_KEY;
  av_packet_rescale_ts(im.packet.get(), im.encoder->time_base, im.stream->time_base);
  im.packet->stream_index = im.stream->index;
  // Not reference-counted: the muxer copies what it keeps, and the packet is cleared before it is reused.
  const int err = av_write_frame(im.output.get(), im.packet.get());
  im.packet->data = nullptr;
  im.packet->size = 0;
  av_packet_unref(im.packet.get());
  if (err < 0) return errorText(err);
  avio_flush(im.output->pb);
  if (im.output->pb->error < 0) return errorText(im.output->pb->error);
  ++frames_;
  ++keyFrames_;
  lastKeyIndex_ = index;
  return {};
}

QString AviWriter::drain() {
  Impl& im = *impl_;
  for (;;) {
    const int got = avcodec_receive_packet(im.encoder.get(), im.packet.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) break;
    if (got < 0) return errorText(got);
    if (im.packet->flags & AV_PKT_FLAG_KEY) {
      ++keyFrames_;
      lastKeyIndex_ = im.packet->pts;
    }
    av_packet_rescale_ts(im.packet.get(), im.encoder->time_base, im.stream->time_base);
    im.packet->stream_index = im.stream->index;
    const int err = av_write_frame(im.output.get(), im.packet.get());
    av_packet_unref(im.packet.get());
    if (err < 0) return errorText(err);
    // Each frame goes to the system at once: a program killed mid-recording leaves every frame it had
    // encoded in the file, and a full disk is reported with the frame that did not fit.
    avio_flush(im.output->pb);
    if (im.output->pb->error < 0) return errorText(im.output->pb->error);
    ++frames_;
  }
  return {};
}

QString AviWriter::finish() {
  if (!impl_) return {};
  Impl& im = *impl_;
  QString error;
  if (const int err = avcodec_send_frame(im.encoder.get(), nullptr); err < 0 && err != AVERROR_EOF) {
    error = errorText(err);
  }
  if (error.isEmpty()) error = drain();
  if (const int err = av_write_trailer(im.output.get()); err < 0 && error.isEmpty()) error = errorText(err);
  avio_flush(im.output->pb);
  if (im.output->pb->error < 0 && error.isEmpty()) error = errorText(im.output->pb->error);
  if (const int err = avio_closep(&im.output->pb); err < 0 && error.isEmpty()) error = errorText(err);
  impl_.reset();
  createdHere_ = false;  // finished files are kept, even after an error in the index
  return error;
}

void AviWriter::abandon() { impl_.reset(); }

void AviWriter::discard() {
  abandon();
  removeCreatedFile();
}

void AviWriter::removeCreatedFile() {
  // Only a regular file this writer created: never a device such as /dev/full, never a file that was
  // there before.
  if (createdHere_ && QFileInfo(path_).isFile()) QFile::remove(path_);
  createdHere_ = false;
}

}  // namespace lumivex
