#pragma once

#include "core/prompter.h"

#include <deque>
#include <variant>
#include <vector>

namespace lumivex {

// A Prompter for tests: answers from a queue and records every question. With the queue empty a message
// box is answered Ok when it has only Ok, otherwise Cancel/No, and every dialog is cancelled.
class ScriptedPrompter : public Prompter {
 public:
  enum class Kind { Message, OpenFile, SaveFile, Folder, Color, Font };
  struct Record {
    Kind kind;
    QString title;
    QString text;  // message text, or the dialog's start folder/file
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
  };
  // An empty optional in the queue cancels the dialog.
  using Answer = std::variant<MessageAnswer, std::optional<FileAnswer>, std::optional<QString>, std::optional<QColor>,
                              std::optional<QFont>>;

  void push(Answer answer) { answers_.push_back(std::move(answer)); }
  const std::vector<Record>& records() const { return records_; }
  // Every open and save request in full (filters, overwrite rule), in the order asked.
  const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }
  std::vector<QString> messageTexts() const;
  void clearRecords() { records_.clear(); }

  MessageAnswer message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
                        MessageButtons buttons) override;
  std::optional<FileAnswer> openFile(QWidget* parent, const FileRequest& request) override;
  std::optional<FileAnswer> saveFile(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
  std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
  std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;

 private:
  template <typename T>
  std::optional<T> next();

  std::deque<Answer> answers_;
  std::vector<Record> records_;
  std::vector<FileRequest> fileRequests_;
};

}  // namespace lumivex
