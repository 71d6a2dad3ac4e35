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
const std::array<ButtonSpec, 46> kButtonSpecs{{
    {1014, "TipPreview", "Preview", 1, 1, kTool, kTool, true, 0, true, "button-1014.svg"},
    {1005, "TipCamera", "Camera  F2", 29, 78, kColumn, kColumnH, false, 0, false, "button-1005.svg"},
    {1006, "TipVideo", "Recording Video  F3/F4", 29, 122, kColumn, kColumnH, true, 0, false, "button-1006.svg"},
    {1007, "TipTimer", "Timer", 29, 166, kColumn, kColumnH, false, 0, false, "button-1007.svg"},
    {1016, "TipVideoSetting", "Video setting", 29, 213, kColumn, kColumnH, false, 0, false, "button-1016.svg"},
    {1008, "TipExceptword", "Export to word", 29, 260, kColumn, kColumnH, false, 0, false, "button-1008.svg"},
    {1009, "TipExceptexcel", "Export to excel", 29, 306, kColumn, kColumnH, false, 0, false, "button-1009.svg"},
    {1293, "TipLanguage", "Language", 29, 394, kColumn, kColumnH, false, 0, false, "button-1293.svg"},
    {1179, "TipLine", "Line Measurement", 749, 75, kTool, kTool, true, 1, false, "button-1179.svg"},
    {1180, "TipDotLine", "Dot Line Measurement", 785, 75, kTool, kTool, true, 2, false, "button-1180.svg"},
    {1181, "TipParallelline", "Parallel line Measurement", 820, 75, kTool, kTool, true, 3, false, "button-1181.svg"},
    {1182, "TipContinualline", "Continual line Measurement", 749, 110, kTool, kTool, true, 4, false, "button-1182.svg"},
    {1183, "TipRectangle", "Rectangle Measurement", 785, 110, kTool, kTool, true, 5, false, "button-1183.svg"},
    {1184, "TipPolygon", "Ploygon Measurement", 820, 110, kTool, kTool, true, 6, false, "button-1184.svg"},
    {1185, "TipEllipse", "Ellipse Measurement", 749, 147, kTool, kTool, true, 7, true, "button-1185.svg"},
    {1186, "TipRCircle", "Radius Circle Measurement", 749, 145, kTool, kTool, true, 8, false, "button-1186.svg"},
    {1187, "TipDCircle", "Diameter Circle Measurement", 785, 145, kTool, kTool, true, 9, false, "button-1187.svg"},
    {1188, "TipTCircle", "Three Points Circles Measurement", 820, 145, kTool, kTool, true, 10, false,
     "button-1188.svg"},
    {1189, "TipTwoCircle", "Two Circles Measurement", 749, 215, kTool, kTool, true, 11, false, "button-1189.svg"},
    {1190, "TipAngle", "Angle Measurement", 785, 180, kTool, kTool, true, 12, false, "button-1190.svg"},
    {1191, "TipFAngle", "Four Points Angle Measurement", 820, 180, kTool, kTool, true, 13, false, "button-1191.svg"},
    {1192, "TipCLabel", "Circle Label", 820, 215, kTool, kTool, true, 14, false, "button-1192.svg"},
    {1193, "TipSLabel", "Square Label", 749, 250, kTool, kTool, true, 15, true, "button-1193.svg"},
    {1194, "TipText", "Text", 785, 215, kTool, kTool, true, 16, false, "button-1194.svg"},
    {1175, "TipMin", "minimum", 764, 6, kCaption, kCaption, false, 0, false, "button-1175.svg"},
    {1176, "TipFullScreen", "Full Screen", 798, 6, kCaption, kCaption, false, 0, false, "button-1176.svg"},
    {1177, "TipClose", "Close", 830, 6, kCaption, kCaption, false, 0, false, "button-1177.svg"},
    {1195, "TipRedo", "Undo", 745, 402, kTool, kTool, false, 0, false, "button-1195.svg"},
    {1196, "TipUndo", "Redo", 822, 402, kTool, kTool, false, 0, false, "button-1196.svg"},
    {1197, "straightlineCalibration", "Line Calibration", 750, 487, kTool, kTool, false, 0, false, "button-1197.svg"},
    {1198, "TipMeasureSetting", "Measurement setting", 800, 487, kTool, kTool, false, 0, false, "button-1198.svg"},
    {1199, "TipAbout", "About", 29, 482, kColumn, kColumnH, false, 0, false, "button-1199.svg"},
    {1201, "TipPicturefolder", "Image folder", 40, 541, kFolder, kFolder, true, 0, false, "button-1201.svg"},
    {1202, "TipVideofolder", "Video folder", 40, 594, kFolder, kFolder, true, 0, false, "button-1202.svg"},
    {1204, "TipSwitchEnable", "Snapshot Enable", 29, 438, kColumn, kColumnH, true, 0, false, "button-1204.svg"},
    {1205, "TipArc", "Arc Measurement", 749, 180, kTool, kTool, true, 17, false, "button-1205.svg"},
    {1212, "TipRuler", "Length-Line", 749, 362, kTool, kTool, false, 18, false, "button-1212.svg"},
    {1141, "TipMeasureAngle", "Angle-Line", 785, 362, kTool, kTool, false, 19, false, "button-1141.svg"},
    {1139, "TipDrawCircle", "Tolerance Circle", 820, 362, kTool, kTool, false, 20, false, "button-1139.svg"},
    {1326, "TipExportDXF", "Export to CAD", 29, 350, kColumn, kColumnH, false, 0, false, "button-1326.svg"},
    {409, "DeleteAll", "Delete All", 783, 402, kTool, kTool, false, 0, false, "button-409.svg"},
    {1207, "TipArc", "Auto Circle-Arc", 820, 272, kTool, kTool, false, 23, false, "button-1207.svg"},
    {1349, "AutoLineLength2", "Auto Line-Length2", 749, 272, kTool, kTool, false, 22, false, "button-1349.svg"},
    {1206, "AutoCircleDetection", "Auto Circle-Detection", 785, 272, kTool, kTool, false, 21, false, "button-1206.svg"},
    {1357, "AutoLineSpace", "Auto Line-spacing", 749, 307, kTool, kTool, false, 24, false, "button-1357.svg"},
    {1356, "AutoAngleDetection", "Auto Angle-Detection", 785, 307, kTool, kTool, false, 25, false, "button-1356.svg"},
}};

const ButtonSpec* buttonSpec(int id) {
  const auto it =
      std::find_if(kButtonSpecs.begin(), kButtonSpecs.end(), [id](const ButtonSpec& s) { return s.id == id; });
  return it == kButtonSpecs.end() ? nullptr : &*it;
}

int toolCodeOf(int id) {
  const ButtonSpec* info = buttonSpec(id);
  return info ? info->toolCode : 0;
}

void ButtonTable::add(const ButtonSpec& info, SkinButton* button) { rows_.push_back(Row{&info, button, {}, {}}); }

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
