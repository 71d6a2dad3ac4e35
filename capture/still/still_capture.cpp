#include "capture/still/still_capture.h"

#include "capture/still/still_naming.h"
#include "core/app_context.h"
#include "core/atomic_file.h"
#include "core/localisation.h"
#include "core/logging.h"
#include "core/prompter.h"
#include "core/settings.h"
#include "image/bitmap_info_header.h"
#include "image/cx_image.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace lumivex {

StillCapture::StillCapture(RequestStill request) : request_(std::move(request)) {}

void StillCapture::takePicture() {
  shutterSound_ = true;
  failureReported_ = false;
  if (request_) request_(StillKind::Command);
}

void StillCapture::grabToMemory() {
  grab_ = true;
  shutterSound_ = false;
  if (request_) request_(StillKind::Command);
}

StillCapture::Arrival StillCapture::stillArrived(StillKind kind, const StillFrame& frame, const QString& magnification,
                                                 bool recording) {
  Arrival arrival;
  const bool grab = grab_;
  arrival.path = saveStill(frame, magnification, false);
  if (arrival.path) arrival.restart = recording || kind == StillKind::SnapshotKey;
  arrival.playShutter = shutterSound_ && arrival.path;
  if (arrival.path) failureReported_ = false;
  if (!arrival.path && !grab && lastFailure_ && !failureReported_) {
    failureReported_ = true;
    arrival.failure = lastFailure_;
  }
  return arrival;
}

StillFrame StillCapture::frameFromDib(const QByteArray& dib) {
  if (dib.size() < static_cast<qsizetype>(sizeof(BitmapInfoHeader))) return {};
  BitmapInfoHeader header;
  std::memcpy(&header, dib.constData(), sizeof header);
  if (header.biSize != sizeof header || header.biBitCount != 24 || header.biCompression != kBiRgb ||
      header.biWidth <= 0 || header.biHeight <= 0 || header.biWidth > (1 << 16)) {
    return {};
  }
  StillFrame frame;
  frame.width = header.biWidth;
  frame.height = header.biHeight;
  frame.stride = static_cast<int>(dibStride(static_cast<std::uint64_t>(header.biWidth), 24));
  frame.bottomUp = reinterpret_cast<const std::uint8_t*>(dib.constData()) + sizeof header;
  frame.length = static_cast<std::size_t>(dib.size()) - sizeof header;
  return frame;  // valid() checks that the rows are all there
}

double StillCapture::burnInScale(int width, int height) {
  if (width == 1600) return 2.5;
  if (width == 1280 && (height == 960 || height == 1024)) return 2.0;
  if (width == 640 && height == 480) return 1.0;
  if (width == 320 && height == 240) return 0.5;
  return 2.5;
}

QPoint StillCapture::toPicture(QPointF videoPoint, double scale) {
  return {static_cast<int>(std::trunc(videoPoint.x() * scale)), static_cast<int>(std::trunc(videoPoint.y() * scale))};
}

QString StillCapture::nameSafeMagnification(const QString& text) {
  QString safe = text.left(23);
  // The text is typed by the user: a separator would put the still into another folder.
  for (QChar& c : safe) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() == 0) c = QLatin1Char('_');
  }
  return safe;
}

QImage StillCapture::buildPicture(const StillFrame& frame) const {
  if (!frame.valid()) return {};
  // The frame's rows are already blue-green-red: each is copied as it is, only the row order turns.
  QImage picture(frame.width, frame.height, QImage::Format_BGR888);
  if (picture.isNull()) return {};
  const auto rowBytes = static_cast<std::size_t>(frame.width) * 3;
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* src =
        frame.bottomUp + static_cast<std::size_t>(frame.height - 1 - y) * static_cast<std::size_t>(frame.stride);
    std::memcpy(picture.scanLine(y), src, rowBytes);
  }
  if (burnIn_) {
    QPainter painter(&picture);
    burnIn_(painter, burnInScale(frame.width, frame.height));
  }
  return picture;
}

bool StillCapture::grabFrame(const StillFrame& frame) {
  grab_ = false;
  if (!frame.valid()) return false;
  // One block of header and rows, as a packed DIB is read from memory.
  const auto dibRow = static_cast<std::size_t>(dibStride(static_cast<std::uint64_t>(frame.width), 24));
  const std::size_t rows = static_cast<std::size_t>(frame.height);
  std::vector<std::uint8_t> block(sizeof(BitmapInfoHeader) + dibRow * rows);
  BitmapInfoHeader header;
  header.biSize = sizeof(BitmapInfoHeader);
  header.biWidth = frame.width;
  header.biHeight = frame.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<std::uint32_t>(dibRow * rows);
  std::memcpy(block.data(), &header, sizeof header);
  const std::size_t copy = std::min<std::size_t>(dibRow, static_cast<std::size_t>(frame.stride));
  for (std::size_t y = 0; y < rows; ++y) {
    std::memcpy(block.data() + sizeof header + y * dibRow, frame.bottomUp + y * static_cast<std::size_t>(frame.stride),
                copy);
  }
  CxImage picture(block.data(), block.size(), CxImage::kTypeBmp);
  if (!picture.IsValid()) return false;
  if (grabSink_) grabSink_(std::move(picture));
  return true;
}

std::optional<QString> StillCapture::saveStill(const StillFrame& frame, const QString& magnification, bool scratch) {
  if (grab_) {
    grabFrame(frame);
    return std::nullopt;  // a grab writes no file and refreshes nothing
  }
  lastFailure_.reset();
  if (!AppContext::exists()) return std::nullopt;
  AppContext& context = AppContext::current();
  const auto fail = [this](const QString& where, WriteResult why) -> std::optional<QString> {
    qCWarning(lcStills).noquote() << "still not saved:" << where << ":" << why.reason;
    lastFailure_ = Failure{where, std::move(why)};
    return std::nullopt;
  };
  if (!frame.valid()) {
    return fail(context.folders().pictureFolder(), WriteResult::failure(ENODATA, QStringLiteral("No picture")));
  }

  QString path;
  std::uint32_t type = CxImage::kTypeBmp;
  if (scratch) {
    path = context.paths().programFolder + QLatin1Char('/') + QLatin1String(kScratchName);
  } else {
    const bool bmp = context.settings().imageFormat == ImageFormat::Bmp;
    type = bmp ? CxImage::kTypeBmp : CxImage::kTypeJpg;
    const QString extension = bmp ? QStringLiteral(".bmp") : QStringLiteral(".jpg");
    const QString folder = context.folders().pictureFolder();
    const int counter = StillNaming::nextCounter(folder, extension, [](const QString&) {
      prompter().message(nullptr, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")),
                         QStringLiteral("Picture Error"), MessageIcon::None, MessageButtons::Ok);
    });
    path = StillNaming::fileName(folder, QDateTime::currentDateTime(), nameSafeMagnification(magnification), counter,
                                 extension);
  }

  const QImage picture = buildPicture(frame);
  if (picture.isNull()) return fail(path, WriteResult::failure(ENOMEM));
  CxImage image;
  if (!image.CreateFromQImage(picture)) return fail(path, WriteResult::failure(ENOMEM));
  image.SetJpegQuality(kJpegQuality);
  std::vector<std::uint8_t> bytes;
  if (!image.Encode(bytes, type))
    return fail(path, WriteResult::failure(EIO, QString::fromLocal8Bit(image.GetLastError())));
  // The folder may have been removed while the program runs; the picture is not thrown away for that.
  QDir().mkpath(QFileInfo(path).absolutePath());
  // Written whole under a temporary name and renamed, so a failure never leaves half a picture.
  const QByteArrayView view(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  if (WriteResult written = AtomicFile::write(path, view); !written) return fail(path, std::move(written));
  return path;
}

}  // namespace lumivex
