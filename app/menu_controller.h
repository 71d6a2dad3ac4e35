#pragma once

#include "app/command_id.h"

#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QUrl>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace lumivex {

class AppContext;
class FilesController;
class IconMenu;
class LiveToolsController;
class MainControls;
class ScreenController;

// The main window's popup menus and what they lead to: the language menu (1293) and the language
// switch, the help menu (1199) with Help, Update and About, the video-area menu (right button in the
// video area) and the system menu (right button on the title band). Each menu is shown by the one popup
// pattern of IconMenu; the chosen command goes back through the window's dispatch.
class MenuController {
 public:
  using UrlOpener = std::function<bool(const QUrl&)>;
  using Dispatch = std::function<void(int command)>;

  MenuController(QWidget& window, MainControls& controls, AppContext& context, ScreenController& screen,
                 const LiveToolsController& live, const FilesController& files, Dispatch dispatch);

  // Help and Update open their pages through this (the desktop's handler by default; tests record).
  void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
  // The popup menu shown now, if any.
  QMenu* openMenu() const { return openMenu_; }

  void showLanguageMenu();
  // 1301-1308, 1313, 1351-1353, 1359: the language takes effect at once and is stored.
  void selectLanguage(CommandId command);
  void showHelpMenu();
  // 1239 and F1: the help page of the language in effect, the English one when it has none.
  void openHelp();
  // 379.
  void openUpdatePage();
  // 1241 and 16.
  void showAbout();
  void showVideoAreaMenu(QPoint globalPos);
  void showSystemMenu(QPoint globalPos);

 private:
  IconMenu* newMenu(const QString& objectName);
  QAction* addCommand(IconMenu& menu, CommandId command);
  void show(IconMenu* menu, QPoint globalPos);

  QWidget& window_;
  MainControls& controls_;
  AppContext& context_;
  ScreenController& screen_;
  const LiveToolsController& live_;
  const FilesController& files_;
  Dispatch dispatch_;
  UrlOpener openUrl_;
  QPointer<QMenu> openMenu_;
};

}  // namespace lumivex
