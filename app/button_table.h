#pragma once

#include "measure/live_tool.h"

#include <QRect>
#include <QString>

#include <array>
#include <vector>

namespace lumivex {

class SkinButton;

// One button of the main window as the layout places it: its control id (also its command, whose text,
// tool-tip and icon are in the command table), the client position of its top-left corner and its size,
// whether it latches, its live tool (None for commands) and whether the normal window hides it.
struct ButtonDef {
  int id;
  int x;
  int y;
  int width;
  int height;
  bool latch;
  LiveTool tool;
  bool hidden;
};

// The 46 buttons in the order of the button table; tool-tips are filled in this order.
extern const std::array<ButtonDef, 46> kButtonSpecs;
const ButtonDef* buttonSpec(int id);

// The live tool of a measuring, comparison or automatic tool button; None for other buttons.
LiveTool liveToolOf(int id);

// Tool-tip texts are kept to this many characters (the control's buffer holds 128 with its terminator).
inline constexpr int kToolTipMaxChars = 127;

// The runtime table: each row binds a button's fixed data to its widget, its screen rectangle and its current tip.
class ButtonTable {
 public:
  struct Row {
    const ButtonDef* info = nullptr;
    SkinButton* button = nullptr;
    QRect screenRect;
    QString toolTip;
  };

  void add(const ButtonDef& info, SkinButton* button);
  Row* find(int id);
  const Row* find(int id) const;
  std::vector<Row>& rows() { return rows_; }
  const std::vector<Row>& rows() const { return rows_; }
  void updateScreenRects();

 private:
  std::vector<Row> rows_;
};

}  // namespace lumivex
