#include "capture/caps_parser.h"

#include "media/gst_ptr.h"

#include <gst/gst.h>

#include <algorithm>

namespace lumivex {

namespace {

bool intRange(const GstStructure* s, const char* name, int& lo, int& hi) {
  const GValue* v = gst_structure_get_value(s, name);
  if (!v) return false;
  if (G_VALUE_HOLDS_INT(v)) {
    lo = hi = g_value_get_int(v);
    return true;
  }
  if (GST_VALUE_HOLDS_INT_RANGE(v)) {
    lo = gst_value_get_int_range_min(v);
    hi = gst_value_get_int_range_max(v);
    return true;
  }
  if (GST_VALUE_HOLDS_LIST(v)) {
    bool any = false;
    for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
      const GValue* item = gst_value_list_get_value(v, i);
      if (!G_VALUE_HOLDS_INT(item)) continue;
      const int x = g_value_get_int(item);
      lo = any ? std::min(lo, x) : x;
      hi = any ? std::max(hi, x) : x;
      any = true;
    }
    return any;
  }
  return false;
}

double fractionValue(const GValue* v) {
  const int d = gst_value_get_fraction_denominator(v);
  return d == 0 ? 0.0 : static_cast<double>(gst_value_get_fraction_numerator(v)) / d;
}

double bestRate(const GstStructure* s) {
  const GValue* v = gst_structure_get_value(s, "framerate");
  if (!v) return 0.0;
  if (GST_VALUE_HOLDS_FRACTION(v)) return fractionValue(v);
  if (GST_VALUE_HOLDS_FRACTION_RANGE(v)) return fractionValue(gst_value_get_fraction_range_max(v));
  if (GST_VALUE_HOLDS_LIST(v)) {
    double best = 0.0;
    for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
      const GValue* item = gst_value_list_get_value(v, i);
      if (GST_VALUE_HOLDS_FRACTION(item)) best = std::max(best, fractionValue(item));
    }
    return best;
  }
  return 0.0;
}

PixelFormat formatOf(const GstStructure* s) {
  const char* name = gst_structure_get_name(s);
  if (g_str_equal(name, "image/jpeg")) return PixelFormat::Mjpeg;
  if (!g_str_equal(name, "video/x-raw")) return PixelFormat::Other;
  const char* format = gst_structure_get_string(s, "format");
  if (!format) return PixelFormat::Other;
  if (g_str_equal(format, "YUY2")) return PixelFormat::Yuy2;
  if (g_str_equal(format, "UYVY")) return PixelFormat::Uyvy;
  if (g_str_equal(format, "BGR")) return PixelFormat::Bgr;
  return PixelFormat::Other;
}

}  // namespace

std::vector<CameraCapability> parseCapabilities(const GstCaps* caps) {
  std::vector<CameraCapability> out;
  if (!caps) return out;
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
    const GstStructure* s = gst_caps_get_structure(caps, i);
    CameraCapability cap;
    cap.format = formatOf(s);
    if (!intRange(s, "width", cap.minWidth, cap.maxWidth)) continue;
    if (!intRange(s, "height", cap.minHeight, cap.maxHeight)) continue;
    cap.maxFps = bestRate(s);
    out.push_back(cap);
  }
  return out;
}

std::vector<CameraCapability> parseCapabilities(const QString& capsText) {
  ensureGstreamer();
  GstCapsPtr caps(gst_caps_from_string(capsText.toUtf8().constData()));
  return parseCapabilities(caps.get());
}

std::optional<SourceFormat> chooseSourceFormat(const std::vector<CameraCapability>& caps, QSize size) {
  const CameraCapability* raw = nullptr;
  const CameraCapability* jpeg = nullptr;
  for (const CameraCapability& cap : caps) {
    if (!cap.offers(size.width(), size.height())) continue;
    if (cap.format == PixelFormat::Mjpeg) {
      if (!jpeg || cap.maxFps > jpeg->maxFps) jpeg = &cap;
    } else if (cap.format != PixelFormat::Other) {
      // YUY2 first, then UYVY, then BGR; a faster one of the same kind wins.
      if (!raw || cap.format < raw->format || (cap.format == raw->format && cap.maxFps > raw->maxFps)) raw = &cap;
    }
  }
  const CameraCapability* pick = (jpeg && (!raw || jpeg->maxFps > raw->maxFps)) ? jpeg : raw;
  if (!pick) return std::nullopt;
  SourceFormat f;
  f.format = pick->format;
  f.size = size;
  f.fps = pick->maxFps;
  const QString dims = QStringLiteral("width=%1,height=%2").arg(size.width()).arg(size.height());
  switch (pick->format) {
    case PixelFormat::Mjpeg:
      f.caps = QStringLiteral("image/jpeg,") + dims;
      break;
    case PixelFormat::Yuy2:
      f.caps = QStringLiteral("video/x-raw,format=YUY2,") + dims;
      break;
    case PixelFormat::Uyvy:
      f.caps = QStringLiteral("video/x-raw,format=UYVY,") + dims;
      break;
    default:
      f.caps = QStringLiteral("video/x-raw,format=BGR,") + dims;
      break;
  }
  return f;
}

QSize largestSize(const std::vector<CameraCapability>& caps) {
  QSize best;
  for (const CameraCapability& cap : caps)
    if (cap.format != PixelFormat::Other &&
        static_cast<long>(cap.maxWidth) * cap.maxHeight > static_cast<long>(best.width()) * best.height())
      best = QSize(cap.maxWidth, cap.maxHeight);
  return best;
}

}  // namespace lumivex
