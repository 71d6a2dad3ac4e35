#pragma once

#include "core/capture_service.h"

#include <QDialog>
#include <QSize>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace lumivex {

// The recorder dialog (template 1281): frame rate (checked, not used: the stream's rate follows the
// capture size), time limit, recording size and the compressor. Changing the size applies it to the
// camera at once; OK, Cancel and Compress stay disabled until a size has been applied (Cancel, Esc and
// closing always leave, as Cancel). Cancel puts the large preset back.
class RecorderDialog : public QDialog {
 public:
  struct Hooks {
    std::function<bool(CaptureService::SizePreset)> applySize;  // true when the camera took the size
    std::function<int()> streamRate;                            // 25, 15 or 5 for the size in force
    bool highResolutionModel = true;
    QString videoFolder;  // where the compressor test writes its scratch file
  };

  explicit RecorderDialog(Hooks hooks, QWidget* parent = nullptr);

  // After OK: the time limit in seconds, or nothing for no limit.
  std::optional<int> timeLimit() const { return timeLimit_; }
  // The size the dialog applied last.
  CaptureService::SizePreset preset() const { return preset_; }

  static constexpr int kDefaultFrameRate = 15;
  static constexpr int kDefaultTimeLimit = 10;

  void done(int result) override;

 private:
  void applySize(int item);
  void onCompress();
  void onOk();
  void setButtonsEnabled(bool on);
  // The value of an edit when it is an integer within the range; otherwise the range message, the edit
  // gets the focus, and nothing.
  std::optional<int> readField(QLineEdit* edit, int minimum, int maximum);

  Hooks hooks_;
  QLineEdit* frameRate_ = nullptr;  // 1104
  QCheckBox* limitOn_ = nullptr;    // 1105
  QLineEdit* limit_ = nullptr;      // 1106
  QComboBox* sizes_ = nullptr;      // 1232
  QPushButton* compress_ = nullptr;
  QPushButton* ok_ = nullptr;
  bool chosen_ = false;  // the user picked a compressor here
  bool accepting_ = false;
  std::optional<int> timeLimit_;
  CaptureService::SizePreset preset_ = CaptureService::SizePreset::Small;
};

// "Please enter an integer between %1 and %2." in the language in force.
QString integerRangeText(int minimum, int maximum);

}  // namespace lumivex
