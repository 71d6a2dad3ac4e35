#include "app/command_registry.h"

#include "core/language_table.h"
#include "core/localisation.h"
#include "core/logging.h"

#include <algorithm>

namespace lumivex {

namespace {

using C = CommandId;
constexpr EnabledWhen kConnected = EnabledWhen::Connected;
constexpr EnabledWhen kAlways = EnabledWhen::Always;

// Buttons first, in the order of the button table, then the menu items and the keys without a button.
// Texts of buttons are their tool-tips; of menu items, the item's text.
std::vector<CommandEntry> buildEntries() {
  std::vector<CommandEntry> entries{
      {C::Preview, "TipPreview", "Preview", "button-1014.svg", 0, kConnected},
      {C::Camera, "TipCamera", "Camera  F2", "button-1005.svg", Qt::Key_F2, kConnected},
      {C::Record, "TipVideo", "Recording Video  F3/F4", "button-1006.svg", 0, kConnected},
      {C::TimedCapture, "TipTimer", "Timer", "button-1007.svg", 0, kConnected},
      {C::VideoSettings, "TipVideoSetting", "Video setting", "button-1016.svg", 0, kConnected},
      {C::ExportWord, "TipExceptword", "Export to word", "button-1008.svg", 0, kConnected},
      {C::ExportExcel, "TipExceptexcel", "Export to excel", "button-1009.svg", 0, kConnected},
      {C::LanguageMenu, "TipLanguage", "Language", "button-1293.svg", 0, kConnected},
      {C::ToolLine, "TipLine", "Line Measurement", "button-1179.svg", 0, kConnected},
      {C::ToolDotLine, "TipDotLine", "Dot Line Measurement", "button-1180.svg", 0, kConnected},
      {C::ToolParallel, "TipParallelline", "Parallel line Measurement", "button-1181.svg", 0, kConnected},
      {C::ToolContinuous, "TipContinualline", "Continual line Measurement", "button-1182.svg", 0, kConnected},
      {C::ToolRectangle, "TipRectangle", "Rectangle Measurement", "button-1183.svg", 0, kConnected},
      {C::ToolPolygon, "TipPolygon", "Ploygon Measurement", "button-1184.svg", 0, kConnected},
      {C::ToolEllipse, "TipEllipse", "Ellipse Measurement", "button-1185.svg", 0, EnabledWhen::Never},
      {C::ToolRadiusCircle, "TipRCircle", "Radius Circle Measurement", "button-1186.svg", 0, kConnected},
      {C::ToolDiameterCircle, "TipDCircle", "Diameter Circle Measurement", "button-1187.svg", 0, kConnected},
      {C::ToolThreePointCircle, "TipTCircle", "Three Points Circles Measurement", "button-1188.svg", 0, kConnected},
      {C::ToolTwoCircles, "TipTwoCircle", "Two Circles Measurement", "button-1189.svg", 0, kConnected},
      {C::ToolAngle, "TipAngle", "Angle Measurement", "button-1190.svg", 0, kConnected},
      {C::ToolFourPointAngle, "TipFAngle", "Four Points Angle Measurement", "button-1191.svg", 0, kConnected},
      {C::ToolCircleLabel, "TipCLabel", "Circle Label", "button-1192.svg", 0, kConnected},
      {C::ToolSquareLabel, "TipSLabel", "Square Label", "button-1193.svg", 0, kConnected},
      {C::ToolText, "TipText", "Text", "button-1194.svg", 0, kConnected},
      {C::Minimise, "TipMin", "minimum", "button-1175.svg", 0, kConnected},
      {C::FullScreen, "TipFullScreen", "Full Screen", "button-1176.svg", 0, kConnected},
      {C::Close, "TipClose", "Close", "button-1177.svg", 0, kAlways},
      {C::Undo, "TipRedo", "Undo", "button-1195.svg", 0, kConnected},
      {C::Redo, "TipUndo", "Redo", "button-1196.svg", 0, kConnected},
      {C::LineCalibration, "straightlineCalibration", "Line Calibration", "button-1197.svg", 0, kConnected},
      {C::MeasureSettings, "TipMeasureSetting", "Measurement setting", "button-1198.svg", 0, kConnected},
      {C::HelpMenu, "TipAbout", "About", "button-1199.svg", 0, kConnected},
      {C::PictureFolder, "TipPicturefolder", "Image folder", "button-1201.svg", 0, kConnected},
      {C::VideoFolder, "TipVideofolder", "Video folder", "button-1202.svg", 0, kConnected},
      {C::SnapshotSwitch, "TipSwitchEnable", "Snapshot Enable", "button-1204.svg", 0, kConnected},
      {C::ToolArc, "TipArc", "Arc Measurement", "button-1205.svg", 0, kConnected},
      {C::Ruler, "TipRuler", "Length-Line", "button-1212.svg", 0, kConnected},
      {C::AngleGauge, "TipMeasureAngle", "Angle-Line", "button-1141.svg", 0, kConnected},
      {C::ToleranceCircle, "TipDrawCircle", "Tolerance Circle", "button-1139.svg", 0, kConnected},
      {C::ExportDxf, "TipExportDXF", "Export to CAD", "button-1326.svg", 0, kConnected},
      {C::DeleteAllShapes, "DeleteAll", "Delete All", "button-409.svg", 0, kConnected},
      {C::AutoArc, "TipArc", "Auto Circle-Arc", "button-1207.svg", 0, kConnected},
      {C::AutoLineLength2, "AutoLineLength2", "Auto Line-Length2", "button-1349.svg", 0, kConnected},
      {C::AutoCircle, "AutoCircleDetection", "Auto Circle-Detection", "button-1206.svg", 0, kConnected},
      {C::AutoLineSpace, "AutoLineSpace", "Auto Line-spacing", "button-1357.svg", 0, kConnected},
      {C::AutoAngle, "AutoAngleDetection", "Auto Angle-Detection", "button-1356.svg", 0, kConnected},
      // The thumbnail menu is the strip's own (library); its commands run here.
      {C::OpenFile, "Open", "Open...", "menu-1234.svg", 0, kAlways},
      {C::SaveFileAs, "Save", "Save as...", "menu-1235.svg", 0, kAlways},
      {C::SaveAllFiles, "SaveAll", "Save All", "menu-1300.svg", 0, kAlways},
      {C::DeleteFile, "Delete", "Delete", "menu-1236.svg", 0, kAlways},
      {C::DeleteAllFiles, "DeleteAll", "Delete All", "menu-410.svg", 0, kAlways},
      {C::Email, "Email", "E-Mail", "menu-1274.svg", 0, kAlways},
      {C::Help, "Help", "Lumivex Help", "menu-230.svg", Qt::Key_F1, kAlways},
      {C::Update, "Update", "Lumivex Update", "menu-230.svg", 0, kAlways},
      {C::About, "About", "About Lumivex", "menu-1283.svg", 0, kAlways},
      {C::SystemAbout, nullptr, "&About Lumivex", "menu-1283.svg", 0, kAlways},
      {C::CancelTool, "Cancel", "Cancel", "menu-1273.svg", 0, kAlways},
      {C::CrossLine, "Cross", "Cross Line", "menu-1243.svg", 0, kAlways},
      {C::ScaleOverlay, "Scale", "Scale", "menu-1244.svg", 0, kAlways},
      {C::CircleOverlay, "Circle", "Circle", "menu-1245.svg", 0, kAlways},
      {C::TimeStamp, "Time", "Time", "menu-395.svg", 0, kAlways},
      {C::MicrometerCalibration, "MicrometerCalibration", "Automatic micrometer calibration", "button-1197.svg", 0,
       kConnected},
      {C::StillFormatBmp, "BMP", "BMP", "menu-1314.svg", 0, kAlways},
      {C::StillFormatJpeg, "JPG", "JPG", "menu-1315.svg", 0, kAlways},
      {C::RecordNow, nullptr, "Record at once", nullptr, Qt::Key_F3, kAlways},
      {C::StopRecordingByKey, nullptr, "Stop recording", nullptr, Qt::Key_F4, kAlways},
      {C::CaptureSizeSmall, nullptr, "Small capture size", nullptr, Qt::Key_F10, kAlways},
      {C::CaptureSizeMedium, nullptr, "Medium capture size", nullptr, Qt::Key_F11, kAlways},
      {C::CaptureSizeLarge, nullptr, "Large capture size", nullptr, Qt::Key_F12, kAlways},
  };
  // The language menu's items carry their texts in the language table; their icon marks the one in effect.
  for (const LanguageMenuItem& item : kLanguageMenu) {
    entries.push_back({static_cast<CommandId>(item.command), item.key, item.defaultText, nullptr, 0, kAlways});
  }
  return entries;
}

}  // namespace

const std::vector<CommandEntry>& commandEntries() {
  static const std::vector<CommandEntry> entries = buildEntries();
  return entries;
}

const CommandEntry* commandEntry(CommandId command) {
  const auto& entries = commandEntries();
  const auto it =
      std::find_if(entries.begin(), entries.end(), [command](const CommandEntry& s) { return s.id == command; });
  return it == entries.end() ? nullptr : &*it;
}

std::optional<CommandId> commandOf(int controlId) {
  const CommandEntry* desc = commandEntry(static_cast<CommandId>(controlId));
  return desc ? std::optional<CommandId>(desc->id) : std::nullopt;
}

QString commandText(CommandId command, int size) {
  const CommandEntry* desc = commandEntry(command);
  if (!desc) return {};
  const QString fallback = QString::fromUtf8(desc->textDefault);
  return desc->textKey ? LookupText(desc->textKey, size, fallback) : fallback;
}

std::optional<CommandId> commandForKey(int qtKey) {
  if (qtKey == 0) return std::nullopt;
  for (const CommandEntry& desc : commandEntries()) {
    if (desc.shortcut == qtKey) return desc.id;
  }
  return std::nullopt;
}

void CommandRegistry::bind(CommandId command, Handler handler) { handlers_[command] = std::move(handler); }

bool CommandRegistry::run(CommandId command) {
  if (closed_) {
    qCDebug(lcCommands) << "command after close ignored:" << controlId(command);
    return false;
  }
  const auto it = handlers_.find(command);
  if (it == handlers_.end()) {
    qCWarning(lcCommands) << "command without a handler:" << controlId(command);
    return false;
  }
  it->second();
  return true;
}

bool CommandRegistry::run(int controlId) {
  const std::optional<CommandId> command = commandOf(controlId);
  if (!command) {
    qCDebug(lcCommands) << "not a command of the main window:" << controlId;
    return false;
  }
  return run(*command);
}

std::vector<CommandId> CommandRegistry::boundCommands() const {
  std::vector<CommandId> result;
  result.reserve(handlers_.size());
  for (const auto& entry : handlers_) result.push_back(entry.first);
  return result;
}

}  // namespace lumivex
