#include "app/menu_controller.h"

#include "app/about_dialog.h"
#include "app/command_registry.h"
#include "app/files_controller.h"
#include "app/live_tools_controller.h"
#include "app/main_controls.h"
#include "app/project_links.h"
#include "app/screen_controller.h"
#include "core/app_context.h"
#include "core/language_table.h"
#include "core/localisation.h"
#include "core/settings_store.h"
#include "widgets/icon_menu.h"
#include "widgets/skin_button.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QWidget>

namespace lumivex {

MenuController::MenuController(QWidget& window, MainControls& controls, AppContext& context, ScreenController& screen,
                               const LiveToolsController& live, const FilesController& files, Dispatch dispatch)
    : window_(window),
      controls_(controls),
      context_(context),
      screen_(screen),
      live_(live),
      files_(files),
      dispatch_(std::move(dispatch)),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

IconMenu* MenuController::newMenu(const QString& objectName) {
  auto* menu = new IconMenu(&window_);  // owned by the window until it closes and deletes itself
  menu->setObjectName(objectName);
  return menu;
}

QAction* MenuController::addCommand(IconMenu& menu, CommandId command) {
  const CommandEntry* desc = commandEntry(command);
  return menu.addCommand(controlId(command), commandText(command), QString::fromLatin1(desc->iconFile));
}

void MenuController::show(IconMenu* menu, QPoint globalPos) {
  if (openMenu_) openMenu_->close();
  openMenu_ = menu;
  menu->popupCommands(globalPos, dispatch_);
}

void MenuController::showLanguageMenu() {
  IconMenu* menu = newMenu(QStringLiteral("menu-1293"));
  // Before any choice is stored the system language is the one in effect, so it is the one marked.
  const Language stored = context_.settings().language();
  const Language inEffect = stored.primary != PrimaryLanguage::None ? stored : languageFromLangId(systemLanguageId());
  for (const LanguageMenuItem& item : kLanguageMenu) {
    const bool current = sameMenuLanguage(item.language, inEffect);
    menu->addCommand(item.command, commandText(static_cast<CommandId>(item.command)),
                     current ? QStringLiteral("menu-381.svg") : QStringLiteral("menu-232.svg"))
        ->setProperty("current", current);
  }
  const QWidget* anchor = controls_.button(ids::kLanguage);
  show(menu, anchor->mapToGlobal(QPoint(anchor->width(), 0)));
}

void MenuController::selectLanguage(CommandId command) {
  const LanguageMenuItem* item = languageMenuItem(controlId(command));
  if (!item) return;
  localisation().clear();
  localisation().selectLanguage(item->language);
  screen_.refreshToolTips();
  controls_.setTexts();
  context_.store().saveLanguage(item->language);
}

void MenuController::showHelpMenu() {
  IconMenu* menu = newMenu(QStringLiteral("menu-1199"));
  for (CommandId command : {CommandId::Help, CommandId::Update, CommandId::About}) addCommand(*menu, command);
  const QWidget* anchor = controls_.button(ids::kHelpMenu);
  show(menu, anchor->mapToGlobal(QPoint(0, anchor->height() - 4)));
}

void MenuController::openHelp() {
  QString file = localisation().helpFile();
  // A language whose help page is missing falls back to the English one.
  if (!QFileInfo::exists(file)) {
    file =
        context_.paths().findResource(QStringLiteral("help/") + languageFilesFor({PrimaryLanguage::English}).helpFile);
  }
  if (QFileInfo::exists(file)) openUrl_(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

void MenuController::openUpdatePage() { openUrl_(QUrl(projectDownloadPage())); }

void MenuController::showAbout() {
  auto* about = new AboutDialog(openUrl_, &window_);  // owned by the window, deleted on close
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

void MenuController::showVideoAreaMenu(QPoint globalPos) {
  IconMenu* menu = newMenu(QStringLiteral("menu-video"));
  addCommand(*menu, CommandId::CancelTool);
  QAction* cross = addCommand(*menu, CommandId::CrossLine);
  cross->setCheckable(true);
  cross->setChecked(live_.crossLine());
  addCommand(*menu, CommandId::ScaleOverlay);
  addCommand(*menu, CommandId::CircleOverlay);
  addCommand(*menu, CommandId::MicrometerCalibration);
  QAction* time = addCommand(*menu, CommandId::TimeStamp);
  time->setCheckable(true);
  time->setChecked(live_.timeStamp());
  IconMenu* format =
      menu->addIconSubmenu(LookupText("Format", 64, QStringLiteral("Format")), QStringLiteral("menu-381.svg"));
  QAction* bmp = addCommand(*format, CommandId::StillFormatBmp);
  QAction* jpg = addCommand(*format, CommandId::StillFormatJpeg);
  bmp->setCheckable(true);
  jpg->setCheckable(true);
  const bool isBmp = files_.stillFormatIsBmp();
  bmp->setChecked(isBmp);
  jpg->setChecked(!isBmp);
  show(menu, globalPos);
}

void MenuController::showSystemMenu(QPoint globalPos) {
  // The borderless window's stand-in for the system menu: the caption commands and About.
  IconMenu* menu = newMenu(QStringLiteral("menu-system"));
  for (CommandId command : {CommandId::Minimise, CommandId::FullScreen, CommandId::Close}) addCommand(*menu, command);
  menu->addSeparator();
  addCommand(*menu, CommandId::SystemAbout);
  show(menu, globalPos);
}

}  // namespace lumivex
