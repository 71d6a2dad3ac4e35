#include "capture/video_area_menu.h"

#include "app/core/app_context.h"
#include "app/core/control_ids.h"
#include "app/core/localisation.h"

#include <QIcon>
#include <QMenu>

namespace lumivex {

namespace {
QIcon icon(const char* file) {
  if (!AppContext::exists()) return {};
  return QIcon(AppContext::current().paths().findResource(QStringLiteral("skin/") + QLatin1String(file)));
}

QAction* addCommand(QMenu* menu, int command, const QString& text, const char* iconFile, bool checked) {
  QAction* action = menu->addAction(icon(iconFile), text);
  action->setData(command);
  action->setObjectName(QString::number(command));
  action->setCheckable(checked);
  action->setChecked(checked);
  return action;
}
}  // namespace

std::unique_ptr<QMenu> VideoAreaMenu::build(QWidget* parent, const State& state) {
  auto menu = std::make_unique<QMenu>(parent);
  menu->setStyleSheet(QStringLiteral("QMenu { background-color: rgb(236,233,216); }"));
  addCommand(menu.get(), ids::kVideoMenuCancel, LookupText("Cancel", 64, QStringLiteral("Cancel")), "menu-1273.svg",
             false);
  addCommand(menu.get(), ids::kVideoMenuCross, LookupText("Cross", 64, QStringLiteral("Cross Line")),
             "menu-1243.svg", state.crosshair);
  addCommand(menu.get(), ids::kVideoMenuScale, LookupText("Scale", 64, QStringLiteral("Scale")), "menu-1244.svg",
             state.scale);
  addCommand(menu.get(), ids::kVideoMenuCircle, LookupText("Circle", 64, QStringLiteral("Circle")), "menu-1245.svg",
             state.circle);
  addCommand(menu.get(), ids::kVideoMenuTime, LookupText("Time", 64, QStringLiteral("Time")), "menu-395.svg",
             state.timeStamp);
  QMenu* format = menu->addMenu(icon("menu-381.svg"), LookupText("Format", 64, QStringLiteral("Format")));
  format->setStyleSheet(menu->styleSheet());
  addCommand(format, ids::kStillFormatBmp, LookupText("BMP", 64, QStringLiteral("BMP")), "menu-1314.svg",
             state.imageFormat == 1);
  addCommand(format, ids::kStillFormatJpeg, LookupText("JPG", 64, QStringLiteral("JPG")), "menu-1315.svg",
             state.imageFormat != 1);
  return menu;
}

}  // namespace lumivex
