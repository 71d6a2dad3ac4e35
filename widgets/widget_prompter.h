#pragma once

#include "core/prompter.h"

namespace lumivex {

// The Prompter the program runs with: Qt's message boxes and standard dialogs.
class WidgetPrompter : public Prompter {
 public:
  MessageAnswer message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
                        MessageButtons buttons) override;
  std::optional<FileAnswer> openFile(QWidget* parent, const FileRequest& request) override;
  std::optional<FileAnswer> saveFile(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
  std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
  std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
};

}  // namespace lumivex
