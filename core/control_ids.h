#pragma once

// Control and command ids of the main window, its popup menus and its timers, and the numbers of
// the application messages posted between windows. The numbers are the dialog templates' own: tests
// and stored layouts refer to controls by them (every widget's objectName is its id). The main window's
// commands are typed as CommandId (app/command_id.h); the messages' events are in core/app_events.h.
namespace lumivex::ids {

// Main-window buttons, in the order of the 46-row button table.
inline constexpr int kPreview = 1014;
inline constexpr int kCamera = 1005;
inline constexpr int kRecord = 1006;
inline constexpr int kTimer = 1007;
inline constexpr int kVideoSetting = 1016;
inline constexpr int kExportWord = 1008;
inline constexpr int kExportExcel = 1009;
inline constexpr int kLanguage = 1293;
inline constexpr int kToolLine = 1179;
inline constexpr int kToolDotLine = 1180;
inline constexpr int kToolParallel = 1181;
inline constexpr int kToolContinuous = 1182;
inline constexpr int kToolRectangle = 1183;
inline constexpr int kToolPolygon = 1184;
inline constexpr int kToolEllipse = 1185;
inline constexpr int kToolRadiusCircle = 1186;
inline constexpr int kToolDiameterCircle = 1187;
inline constexpr int kToolThreePointCircle = 1188;
inline constexpr int kToolTwoCircles = 1189;
inline constexpr int kToolAngle = 1190;
inline constexpr int kToolFourPointAngle = 1191;
inline constexpr int kToolCircleLabel = 1192;
inline constexpr int kToolSquareLabel = 1193;
inline constexpr int kToolText = 1194;
inline constexpr int kMinimize = 1175;
inline constexpr int kFullScreen = 1176;
inline constexpr int kClose = 1177;
inline constexpr int kUndo = 1195;  // template caption "redo", tool-tip "Undo"
inline constexpr int kRedo = 1196;  // template caption "undo", tool-tip "Redo"
inline constexpr int kLineCalibration = 1197;
inline constexpr int kMeasureSetting = 1198;
inline constexpr int kHelpMenu = 1199;
inline constexpr int kPictureFolder = 1201;
inline constexpr int kVideoFolder = 1202;
inline constexpr int kSnapSwitch = 1204;
inline constexpr int kToolArc = 1205;
inline constexpr int kRuler = 1212;
inline constexpr int kAngleLine = 1141;
inline constexpr int kToleranceCircle = 1139;
inline constexpr int kExportDxf = 1326;
inline constexpr int kDeleteAllShapes = 409;
inline constexpr int kAutoArc = 1207;
inline constexpr int kAutoLineLength2 = 1349;
inline constexpr int kAutoCircle = 1206;
inline constexpr int kAutoLineSpace = 1357;
inline constexpr int kAutoAngle = 1356;

// Other controls of the main window.
inline constexpr int kVideoArea = 1000;
inline constexpr int kThumbnailStrip = 1002;
inline constexpr int kMagnifier = 1358;
inline constexpr int kMagnificationEdit = 1147;  // hidden; holds the magnification key ("100")
inline constexpr int kCalibrationEdit = 1200;
inline constexpr int kScaleLabel = 1350;
inline constexpr int kGroupMeasure = 1203;
inline constexpr int kGroupCalibration = 1148;
inline constexpr int kGroupAutoMeasure = 1248;
inline constexpr int kGroupComparison = 1247;

// Popup-menu commands.
inline constexpr int kOpenFile = 1234;
inline constexpr int kSaveFileAs = 1235;
inline constexpr int kSaveAllFiles = 1300;
inline constexpr int kDeleteFile = 1236;
inline constexpr int kDeleteAllFiles = 410;
inline constexpr int kEmail = 1274;
inline constexpr int kHelp = 1239;
inline constexpr int kUpdate = 379;
inline constexpr int kAbout = 1241;
inline constexpr int kSystemAbout = 16;
inline constexpr int kVideoMenuCancel = 1273;
inline constexpr int kVideoMenuCross = 1243;
inline constexpr int kVideoMenuScale = 1244;
inline constexpr int kVideoMenuCircle = 1245;
inline constexpr int kVideoMenuTime = 395;
inline constexpr int kStillFormatBmp = 1314;
inline constexpr int kStillFormatJpeg = 1315;
// Ours: the automatic micrometer calibration of the still workspace's calibration menu and the video-area menu.
inline constexpr int kMicrometerCalibration = 2000;
// Ours: "Show uncertainty" on the unit page of the measurement setting dialog.
inline constexpr int kShowUncertainty = 2001;

// Language menu commands.
inline constexpr int kLangEnglish = 1301;
inline constexpr int kLangSimplified = 1302;
inline constexpr int kLangTraditional = 1351;
inline constexpr int kLangJapanese = 1303;
inline constexpr int kLangKorean = 1304;
inline constexpr int kLangGerman = 1305;
inline constexpr int kLangPortuguese = 1306;
inline constexpr int kLangTurkish = 1313;
inline constexpr int kLangThai = 1308;
inline constexpr int kLangRussian = 1352;
inline constexpr int kLangBulgarian = 1353;
inline constexpr int kLangPersian = 1359;

// Calibrate-before-measuring prompt (template 430).
inline constexpr int kPromptText = 1361;
inline constexpr int kPromptCheck = 1230;

// Main-window timers.
inline constexpr int kTimerReconnect = 1001;
inline constexpr int kTimerRecordLimit = 1002;
inline constexpr int kTimerRecordSeconds = 1005;
inline constexpr int kTimerStartupPrompt = 1006;

// The accelerator tables of the keys that run no button's command (F3, F4, F10, F11, F12); the main
// window's command table keys those commands by these numbers.
inline constexpr int kAccelRecordNow = 225;
inline constexpr int kAccelStopRecording = 226;
inline constexpr int kAccelSizeSmall = 255;
inline constexpr int kAccelSizeMedium = 253;
inline constexpr int kAccelSizeLarge = 347;

// Resource ids of sounds, icons and cursors.
inline constexpr int kSoundRecord = 180;
inline constexpr int kSoundShutter = 181;
inline constexpr int kSoundRecordEnd = 182;
inline constexpr int kCursorMeasure = 258;
inline constexpr int kCursorGrip = 386;
inline constexpr int kIconCurrentLanguage = 381;
inline constexpr int kIconOtherLanguage = 232;

}  // namespace lumivex::ids

namespace lumivex::msg {

// Application messages: WM_APP-based numbers, each with its event class in core/app_events.h.
inline constexpr int kStillReady = 0x8001;
inline constexpr int kGraphEvent = 0x8003;
inline constexpr int kDeviceReinitialised = 0x8005;
inline constexpr int kStillCalibrated = 0x8006;
inline constexpr int kCalibratePrompt = 0x8007;
inline constexpr int kOpenPicture = 0x800a;
inline constexpr int kOpenVideo = 0x800b;
inline constexpr int kWorkspaceCalibration = 0x800c;
inline constexpr int kLiveCalibrationDone = 0x800d;
// Stand-in for the system's device-change broadcast, posted by the capture side's device monitor.
inline constexpr int kDeviceChange = 0x8010;

}  // namespace lumivex::msg
