#pragma once

#include "core/control_ids.h"

#include <optional>

namespace lumivex {

// Every command the main window runs: its buttons, the items of its popup menus and the keys that have
// no button. The value is the control id (the button's objectName, the menu action's data), so a command
// is found from a click, a menu choice or a test by its number and handled by its name.
enum class CommandId : int {
  // Left column and the hidden Preview button.
  Preview = ids::kPreview,
  Camera = ids::kCamera,
  Record = ids::kRecord,
  TimedCapture = ids::kTimer,
  VideoSettings = ids::kVideoSetting,
  ExportWord = ids::kExportWord,
  ExportExcel = ids::kExportExcel,
  ExportDxf = ids::kExportDxf,
  LanguageMenu = ids::kLanguage,
  SnapshotSwitch = ids::kSnapSwitch,
  HelpMenu = ids::kHelpMenu,
  // Measuring tools 1-17.
  ToolLine = ids::kToolLine,
  ToolDotLine = ids::kToolDotLine,
  ToolParallel = ids::kToolParallel,
  ToolContinuous = ids::kToolContinuous,
  ToolRectangle = ids::kToolRectangle,
  ToolPolygon = ids::kToolPolygon,
  ToolEllipse = ids::kToolEllipse,
  ToolRadiusCircle = ids::kToolRadiusCircle,
  ToolDiameterCircle = ids::kToolDiameterCircle,
  ToolThreePointCircle = ids::kToolThreePointCircle,
  ToolTwoCircles = ids::kToolTwoCircles,
  ToolAngle = ids::kToolAngle,
  ToolFourPointAngle = ids::kToolFourPointAngle,
  ToolCircleLabel = ids::kToolCircleLabel,
  ToolSquareLabel = ids::kToolSquareLabel,
  ToolText = ids::kToolText,
  ToolArc = ids::kToolArc,
  // Comparison tools 18-20 and the automatic tools 21-25.
  Ruler = ids::kRuler,
  AngleGauge = ids::kAngleLine,
  ToleranceCircle = ids::kToleranceCircle,
  AutoCircle = ids::kAutoCircle,
  AutoLineLength2 = ids::kAutoLineLength2,
  AutoArc = ids::kAutoArc,
  AutoLineSpace = ids::kAutoLineSpace,
  AutoAngle = ids::kAutoAngle,
  // Edit row and calibration.
  Undo = ids::kUndo,
  Redo = ids::kRedo,
  DeleteAllShapes = ids::kDeleteAllShapes,
  LineCalibration = ids::kLineCalibration,
  MeasureSettings = ids::kMeasureSetting,
  // Caption buttons and the system menu's About.
  Minimise = ids::kMinimize,
  FullScreen = ids::kFullScreen,
  Close = ids::kClose,
  SystemAbout = ids::kSystemAbout,
  // Folder buttons and the thumbnail menu.
  PictureFolder = ids::kPictureFolder,
  VideoFolder = ids::kVideoFolder,
  OpenFile = ids::kOpenFile,
  SaveFileAs = ids::kSaveFileAs,
  SaveAllFiles = ids::kSaveAllFiles,
  DeleteFile = ids::kDeleteFile,
  DeleteAllFiles = ids::kDeleteAllFiles,
  Email = ids::kEmail,
  // Help menu.
  Help = ids::kHelp,
  Update = ids::kUpdate,
  About = ids::kAbout,
  // Video-area menu.
  CancelTool = ids::kVideoMenuCancel,
  CrossLine = ids::kVideoMenuCross,
  ScaleOverlay = ids::kVideoMenuScale,
  CircleOverlay = ids::kVideoMenuCircle,
  TimeStamp = ids::kVideoMenuTime,
  MicrometerCalibration = ids::kMicrometerCalibration,
  StillFormatBmp = ids::kStillFormatBmp,
  StillFormatJpeg = ids::kStillFormatJpeg,
  // Language menu.
  LangEnglish = ids::kLangEnglish,
  LangSimplified = ids::kLangSimplified,
  LangTraditional = ids::kLangTraditional,
  LangJapanese = ids::kLangJapanese,
  LangKorean = ids::kLangKorean,
  LangGerman = ids::kLangGerman,
  LangPortuguese = ids::kLangPortuguese,
  LangTurkish = ids::kLangTurkish,
  LangThai = ids::kLangThai,
  LangRussian = ids::kLangRussian,
  LangBulgarian = ids::kLangBulgarian,
  LangPersian = ids::kLangPersian,
  // Keys without a button.
  RecordNow = ids::kAccelRecordNow,               // F3
  StopRecordingByKey = ids::kAccelStopRecording,  // F4
  CaptureSizeSmall = ids::kAccelSizeSmall,        // F10
  CaptureSizeMedium = ids::kAccelSizeMedium,      // F11
  CaptureSizeLarge = ids::kAccelSizeLarge,        // F12
};

inline int controlId(CommandId command) { return static_cast<int>(command); }

}  // namespace lumivex
