#pragma once

#include "capture/timed/series_clock.h"
#include "capture/timed/timed_capture_controller.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace lumivex {

class TimelapseTask;

// The timed-capture dialog (template 145): start date and time, interval, number of pictures, the count
// taken so far and the estimated size of the series. Start runs one series (its worker asks for each
// picture through the hooks, as the Camera command does); the button then reads Stop. The dialog closes
// itself one interval after the last picture, unless the series has at least two pictures: then it offers
// to make a time-lapse video of them (built on a worker thread, listed with the videos).
class TimedCaptureDialog : public QDialog {
 public:
  struct Hooks {
    std::function<void()> requestStill;        // a kind-0 still
    std::function<std::int64_t()> frameBytes;  // image size of the last frame
    bool highResolutionModel = true;
    QString videoFolder;                                 // where time-lapse videos go
    std::function<void(const QString& path)> videoMade;  // a time-lapse video was written
    SeriesClock* clock = nullptr;                        // the system's when null
  };

  explicit TimedCaptureDialog(Hooks hooks, QWidget* parent = nullptr);
  ~TimedCaptureDialog() override;

  // The main window saved a still (0x8001).
  void stillSaved(int kind, const QString& path);
  TimedCaptureController& controller() { return *controller_; }

  void done(int result) override;

 private:
  void onStartStop();
  void refreshEstimate();
  void onFinished();
  void onMakeTimelapse();
  std::optional<int> readField(int index);
  QLineEdit* field(int id) const;

  Hooks hooks_;
  std::unique_ptr<SeriesClock> ownClock_;
  std::unique_ptr<TimedCaptureController> controller_;
  std::array<QLineEdit*, 9> fields_{};  // 1017..1025
  QLineEdit* taken_ = nullptr;          // 1026
  QLineEdit* estimate_ = nullptr;       // 1080
  QPushButton* startStop_ = nullptr;    // 1015
  QString startText_;
  QString stopText_;
  QGroupBox* timelapseBox_ = nullptr;
  QSpinBox* timelapseFps_ = nullptr;
  QPushButton* timelapseMake_ = nullptr;
  QProgressBar* timelapseProgress_ = nullptr;
  QLabel* timelapseResult_ = nullptr;
  std::unique_ptr<TimelapseTask> task_;
};

}  // namespace lumivex
