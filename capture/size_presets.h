#pragma once

#include <QSize>
#include <QString>

#include <vector>

namespace lumivex {

enum class PixelFormat { Yuy2, Uyvy, Mjpeg, Bgr, Other };

// One capture capability of a device: a pixel format with its size range and best frame rate.
struct CameraCapability {
  PixelFormat format = PixelFormat::Other;
  int minWidth = 0;
  int maxWidth = 0;
  int minHeight = 0;
  int maxHeight = 0;
  double maxFps = 0.0;
  bool offers(int width, int height) const {
    return width >= minWidth && width <= maxWidth && height >= minHeight && height <= maxHeight;
  }
};

// The three capture sizes of F10, F11 and F12 and the rules tied to them.
class SizePresets {
 public:
  enum Preset { Small = 0, Medium = 1, Large = 2 };

  static QSize size(int preset, bool highResolutionModel);
  // The preset whose width the given width matches for this model, or -1.
  static int presetForWidth(int width, bool highResolutionModel);
  // 15 for the small preset's width, 14 for the medium's, else 5.
  static int rateClass(int width, bool highResolutionModel);
  // The size the device starts at when no stored format is usable.
  static QSize defaultSize(bool highResolutionModel) { return size(Large, highResolutionModel); }
  // The model from the raw (YUY2/UYVY) capabilities, walked in order: a capability whose minimum width
  // is 1600 and maximum height 1200 makes it 1 and ends the walk, any other raw one makes it 0. With no
  // raw capability the current value stays.
  static bool highResolutionModel(const std::vector<CameraCapability>& caps, bool current);
  // "640*480" style texts of the resolution combo.
  static QString label(int preset, bool highResolutionModel);
};

}  // namespace lumivex
