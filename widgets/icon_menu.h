#pragma once

#include <QMenu>

#include <functional>

namespace lumivex {

// A popup menu of the skin: items with icons from the vector sources on the menu background
// RGB(236,233,216). Each item carries its command id as the action's data and objectName.
class IconMenu : public QMenu {
 public:
  explicit IconMenu(QWidget* parent = nullptr);

  QAction* addCommand(int command, const QString& text, const QString& iconFile);
  IconMenu* addIconSubmenu(const QString& text, const QString& iconFile);

  // The command id of an action of this menu, or 0.
  static int commandOf(const QAction* action);

  // The one way a popup menu of the program is shown: at globalPos, without blocking. The menu deletes
  // itself once closed (until then its parent owns it); the chosen item's command reaches onCommand from
  // the event loop, after the click that chose it has finished.
  void popupCommands(QPoint globalPos, std::function<void(int command)> onCommand);
};

}  // namespace lumivex
