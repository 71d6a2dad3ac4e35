#include "app/button_table.h"

#include "widgets/skin_button.h"

#include <algorithm>

namespace lumivex {

namespace {

constexpr int kColumn = 56, kColumnH = 40;  // left command column
constexpr int kFolder = 48;                 // folder buttons beside the thumbnail strip
constexpr int kTool = 32;                   // tool palette and edit row
constexpr int kCaption = 28;                // minimise, full screen, close

}  // namespace

// Row order is the button table's; positions are the window's client coordinates.
const std::array<ButtonDef, 46> kButtonSpecs{{
    {1014, 1, 1, kTool, kTool, true, LiveTool::None, true},
    {1005, 29, 78, kColumn, kColumnH, false, LiveTool::None, false},
    {1006, 29, 122, kColumn, kColumnH, true, LiveTool::None, false},
    {1007, 29, 166, kColumn, kColumnH, false, LiveTool::None, false},
    {1016, 29, 213, kColumn, kColumnH, false, LiveTool::None, false},
    {1008, 29, 260, kColumn, kColumnH, false, LiveTool::None, false},
    {1009, 29, 306, kColumn, kColumnH, false, LiveTool::None, false},
    {1293, 29, 394, kColumn, kColumnH, false, LiveTool::None, false},
    {1179, 749, 75, kTool, kTool, true, LiveTool::Line, false},
    {1180, 785, 75, kTool, kTool, true, LiveTool::DotLine, false},
    {1181, 820, 75, kTool, kTool, true, LiveTool::ParallelLine, false},
    {1182, 749, 110, kTool, kTool, true, LiveTool::ContinuousLine, false},
    {1183, 785, 110, kTool, kTool, true, LiveTool::Rectangle, false},
    {1184, 820, 110, kTool, kTool, true, LiveTool::Polygon, false},
    {1185, 749, 147, kTool, kTool, true, LiveTool::Ellipse, true},
    {1186, 749, 145, kTool, kTool, true, LiveTool::RadiusCircle, false},
    {1187, 785, 145, kTool, kTool, true, LiveTool::DiameterCircle, false},
    {1188, 820, 145, kTool, kTool, true, LiveTool::ThreePointCircle, false},
    {1189, 749, 215, kTool, kTool, true, LiveTool::TwoCircles, false},
    {1190, 785, 180, kTool, kTool, true, LiveTool::Angle, false},
    {1191, 820, 180, kTool, kTool, true, LiveTool::FourPointAngle, false},
    {1192, 820, 215, kTool, kTool, true, LiveTool::CircleLabel, false},
    {1193, 749, 250, kTool, kTool, true, LiveTool::SquareLabel, true},
    {1194, 785, 215, kTool, kTool, true, LiveTool::Text, false},
    {1175, 764, 6, kCaption, kCaption, false, LiveTool::None, false},
    {1176, 798, 6, kCaption, kCaption, false, LiveTool::None, false},
    {1177, 830, 6, kCaption, kCaption, false, LiveTool::None, false},
    {1195, 745, 402, kTool, kTool, false, LiveTool::None, false},
    {1196, 822, 402, kTool, kTool, false, LiveTool::None, false},
    {1197, 750, 487, kTool, kTool, false, LiveTool::None, false},
    {1198, 800, 487, kTool, kTool, false, LiveTool::None, false},
    {1199, 29, 482, kColumn, kColumnH, false, LiveTool::None, false},
    {1201, 40, 541, kFolder, kFolder, true, LiveTool::None, false},
    {1202, 40, 594, kFolder, kFolder, true, LiveTool::None, false},
    {1204, 29, 438, kColumn, kColumnH, true, LiveTool::None, false},
    {1205, 749, 180, kTool, kTool, true, LiveTool::Arc, false},
    {1212, 749, 362, kTool, kTool, false, LiveTool::Ruler, false},
    {1141, 785, 362, kTool, kTool, false, LiveTool::AngleGauge, false},
    {1139, 820, 362, kTool, kTool, false, LiveTool::ToleranceCircle, false},
    {1326, 29, 350, kColumn, kColumnH, false, LiveTool::None, false},
    {409, 783, 402, kTool, kTool, false, LiveTool::None, false},
    {1207, 820, 272, kTool, kTool, false, LiveTool::AutoArc, false},
    {1349, 749, 272, kTool, kTool, false, LiveTool::AutoLineLength2, false},
    {1206, 785, 272, kTool, kTool, false, LiveTool::AutoCircle, false},
    {1357, 749, 307, kTool, kTool, false, LiveTool::AutoLineSpacing, false},
    {1356, 785, 307, kTool, kTool, false, LiveTool::AutoAngle, false},
}};

const ButtonDef* buttonSpec(int id) {
  const auto it =
      std::find_if(kButtonSpecs.begin(), kButtonSpecs.end(), [id](const ButtonDef& s) { return s.id == id; });
  return it == kButtonSpecs.end() ? nullptr : &*it;
}

LiveTool liveToolOf(int id) {
  const ButtonDef* info = buttonSpec(id);
  return info ? info->tool : LiveTool::None;
}

void ButtonTable::add(const ButtonDef& info, SkinButton* button) { rows_.push_back(Row{&info, button, {}, {}}); }

ButtonTable::Row* ButtonTable::find(int id) {
  const auto it = std::find_if(rows_.begin(), rows_.end(), [id](const Row& r) { return r.info->id == id; });
  return it == rows_.end() ? nullptr : &*it;
}

const ButtonTable::Row* ButtonTable::find(int id) const { return const_cast<ButtonTable*>(this)->find(id); }

void ButtonTable::updateScreenRects() {
  for (Row& row : rows_) {
    if (row.button) row.screenRect = QRect(row.button->mapToGlobal(QPoint(0, 0)), row.button->size());
  }
}

}  // namespace lumivex
