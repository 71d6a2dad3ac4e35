#pragma once

#include <QObject>

namespace lumivex {

// Application-wide keys of the simulated camera (no menu entry on purpose):
// Ctrl+Shift+F2 presses the camera's snapshot key; Ctrl+Shift+F8 unplugs the first simulated camera,
// or plugs it back in when it is unplugged.
class DemoKeyFilter : public QObject {
 public:
  DemoKeyFilter();
  ~DemoKeyFilter() override;

  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lumivex
