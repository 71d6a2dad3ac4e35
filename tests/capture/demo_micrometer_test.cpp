// The simulated camera's stage micrometer, measured by the graduation pitch at every capture size: the
// scale it gives is the camera's true pixel pitch (800 um across the field, docs/capture.md).
#include "capture/demo_scene.h"
#include "measure/detection/graduation_pitch.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QSize>

#include <cmath>
#include <vector>

namespace lumivex {
namespace {

using detection::BgrView;
using detection::GraduationPitch;
using detection::measureGraduationPitch;

struct Frame {
  std::vector<uint8_t> bytes;
  BgrView view;
};

Frame frameOf(QSize size, bool noise) {
  DemoScene scene;
  scene.setDrift(false);
  scene.setNoise(noise);
  Frame f;
  f.bytes.resize(static_cast<size_t>(size.width()) * 3 * size.height());
  scene.render(f.bytes.data(), size.width() * 3, size, DemoPicture{}, 7, 0.0);
  if (qEnvironmentVariableIsSet("SAVEDEMO"))
    QImage(f.bytes.data(), size.width(), size.height(), size.width() * 3, QImage::Format_BGR888)
        .save(QStringLiteral("/tmp/demo_%1_%2.png").arg(size.width()).arg(noise));
  f.view = BgrView{f.bytes.data(), size.width(), size.height(), size.width() * 3, false, 24};
  return f;
}

TEST(DemoMicrometer, ScaleIsThePixelPitchAtEveryCaptureSize) {
  const QSize sizes[] = {{320, 240}, {640, 480}, {1280, 960}, {1280, 1024}, {1600, 1200}};
  for (const QSize size : sizes) {
    for (bool noise : {false, true}) {
      SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height() << (noise ? " with noise" : ""));
      const Frame frame = frameOf(size, noise);
      const double pitch = DemoScene::pixelPitchUm(size.width());
      // The graduations as a user would drag over them: 90..710 um across, 35..85 um down.
      const QRect region(QPoint(static_cast<int>(90 / pitch), static_cast<int>(35 / pitch)),
                         QPoint(static_cast<int>(710 / pitch), static_cast<int>(85 / pitch)));
      const GraduationPitch r = measureGraduationPitch(frame.view, region);
      ASSERT_TRUE(r.ok()) << detection::graduationQualityText(r).toStdString();
      const double scale = 10.0 / r.pitch;  // um per pixel from the 10 um graduation
      EXPECT_LE(std::abs(scale - pitch) / pitch, 0.001);
      EXPECT_LE(std::abs(r.pitch - 10.0 / pitch), r.expandedUncertainty() + 1e-9);
      EXPECT_NEAR(r.angleDegrees, 0.0, 0.5);
      EXPECT_GE(r.marksUsed, 50);
      EXPECT_LE(r.marksUsed, 61);
    }
  }
}

}  // namespace
}  // namespace lumivex
