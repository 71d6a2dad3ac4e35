#include "library/thumbnail_menu.h"

#include "core/control_ids.h"
#include "core/localisation.h"
#include "widgets/icon_menu.h"

namespace lumivex {

std::unique_ptr<IconMenu> ThumbnailMenu::create(QWidget* parent) {
  struct Item {
    const char* key;
    const char* text;
    int command;
  };
  static constexpr Item kItems[] = {
      {"Open", "Open...", ids::kOpenFile},
      {"Save", "Save as...", ids::kSaveFileAs},
      {"SaveAll", "Save All", ids::kSaveAllFiles},
      {"Delete", "Delete", ids::kDeleteFile},
      {"DeleteAll", "Delete All", ids::kDeleteAllFiles},
      {"Email", "E-Mail", ids::kEmail},
  };
  auto menu = std::make_unique<IconMenu>(parent);
  for (const Item& item : kItems) {
    menu->addCommand(item.command, LookupText(item.key, 64, QString::fromLatin1(item.text)),
                     QStringLiteral("menu-%1.svg").arg(item.command));
  }
  return menu;
}

}  // namespace lumivex
