#include "workspace/workspace_menus.h"

#include "core/control_ids.h"

#include <array>

namespace lumivex {
namespace {

constexpr std::array kOperation{
    WorkspaceMenuItem{1264, "Mirror", u"Horizontal Mirror", 1264},
    WorkspaceMenuItem{1265, "Flip", u"Vertical Mirror", 1265},
    WorkspaceMenuItem{1267, "Negative", u"Negative", 1267},
    WorkspaceMenuItem{1268, "Light+", u"Brightness(+)", 1268},
    WorkspaceMenuItem{1269, "Light-", u"Brightness(-)", 1269},
    WorkspaceMenuItem{1271, "Median", u"Median value filter", 1271},
    WorkspaceMenuItem{1272, "Filter", u"Average value filter", 1272},
    WorkspaceMenuItem{1279, "TipExceptexcel", u"Export to excel", 1279},
    WorkspaceMenuItem{1278, "TipExceptword", u"Export to word", 1278},
    WorkspaceMenuItem{1318, "TipExportCAD", u"Export to CAD", 1318},
};

constexpr std::array kDrawing{
    WorkspaceMenuItem{1258, "straightline", u"Straight Line", 1258},
    WorkspaceMenuItem{1259, "Continuousline", u"Continuous Line", 1259},
    WorkspaceMenuItem{1260, "Angle", u"Angle", 1260},
    WorkspaceMenuItem{1261, "Rectangle", u"Rectangle", 1261},
    WorkspaceMenuItem{1263, "Threepointcircle", u"Three Points Circle", 1263},
    WorkspaceMenuItem{1310, "TipCLabel", u"Circle Label", 1310},
};

constexpr std::array kMeasuring{
    WorkspaceMenuItem{1249, "straightline", u"Straight Line", 1249},
    WorkspaceMenuItem{399, "dotline", u"Dot Line", 399},
    WorkspaceMenuItem{1309, "Parallelline", u"Parallel line", 1309},
    WorkspaceMenuItem{1250, "Continuousline", u"Continuous Line", 1250},
    WorkspaceMenuItem{1251, "Rectangle", u"Rectangle", 1251},
    WorkspaceMenuItem{1253, "RadialCircle", u"Radius Circle", 1253},
    WorkspaceMenuItem{416, "Diametercircle", u"Diameter Circle", 416},
    WorkspaceMenuItem{1231, "TipArc", u"Arc Measurement", 1231},
    WorkspaceMenuItem{1255, "Threepointcircle", u"Three Points Circle", 1255},
    WorkspaceMenuItem{1277, "Twocircle", u"Two Circles", 1277},
    WorkspaceMenuItem{1256, "Angle", u"Angle", 1256},
    WorkspaceMenuItem{1334, "Fourpointangle", u"Four Points Angle", 1334},
};

constexpr std::array kAutomatic{
    WorkspaceMenuItem{1312, "AutoLineSpace", u"Auto Line-spacing", 1312},
    WorkspaceMenuItem{1347, "AutoLineLength2", u"Auto Line-Length2", 1347},
    WorkspaceMenuItem{1341, "TipArc", u"Auto Arc-Measurement", 1341},
    WorkspaceMenuItem{1317, "AutoCircleDetection", u"Auto Circle-Detection", 1317},
    WorkspaceMenuItem{1316, "AutoAngleDetection", u"Auto Angle-Detection", 1316},
};

constexpr std::array kEdge{
    WorkspaceMenuItem{1266, "EdgePortion", u"Edge Detect(Portion)", 1266},
    WorkspaceMenuItem{1270, "EdgeGlobal", u"Edge Detect(Global)", 1270},
};

constexpr std::array kCalibration{
    WorkspaceMenuItem{396, "straightlineCalibration", u"Line Calibration", 396},
    WorkspaceMenuItem{382, "AutoLineCalibration", u"Auto Line Calibration", 382},
    WorkspaceMenuItem{ids::kMicrometerCalibration, "MicrometerCalibration", u"Automatic micrometer calibration", 382},
};

// Tool commands that exist without a menu item, and the family they belong to.
constexpr std::array<std::array<int, 2>, 5> kWithoutItem{
    {{1262, 1257}, {1307, 1257}, {1311, 1257}, {1252, 1138}, {1340, 1328}}};

}  // namespace

std::span<const WorkspaceMenuItem> workspaceMenu(int buttonId) {
  switch (buttonId) {
    case 1333:
      return kOperation;
    case 1257:
      return kDrawing;
    case 1138:
      return kMeasuring;
    case 1328:
      return kAutomatic;
    case 1329:
      return kEdge;
    case 1289:
      return kCalibration;
    default:
      return {};
  }
}

int menuButtonOf(int command) {
  for (int button : {1257, 1138, 1328, 1329}) {
    for (const WorkspaceMenuItem& item : workspaceMenu(button))
      if (item.command == command) return button;
  }
  for (const auto& [cmd, button] : kWithoutItem)
    if (cmd == command) return button;
  return 0;
}

}  // namespace lumivex
