#pragma once

#include <memory>

class QWidget;

namespace lumivex {

class IconMenu;

// The popup menu of a thumbnail: Open, Save as, Save All, Delete, Delete All, E-Mail, each with its
// icon and its text from the language file.
class ThumbnailMenu {
 public:
  static std::unique_ptr<IconMenu> create(QWidget* parent);
};

}  // namespace lumivex
