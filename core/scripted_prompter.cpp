#include "core/scripted_prompter.h"

namespace lumivex {

template <typename T>
std::optional<T> ScriptedPrompter::next() {
  if (answers_.empty()) return std::nullopt;
  T* value = std::get_if<T>(&answers_.front());
  if (value == nullptr) return std::nullopt;
  std::optional<T> out(std::move(*value));
  answers_.pop_front();
  return out;
}

std::vector<QString> ScriptedPrompter::messageTexts() const {
  std::vector<QString> out;
  for (const Record& r : records_)
    if (r.kind == Kind::Message) out.push_back(r.text);
  return out;
}

MessageAnswer ScriptedPrompter::message(QWidget*, const QString& title, const QString& text, MessageIcon icon,
                                        MessageButtons buttons) {
  records_.push_back({Kind::Message, title, text, icon, buttons});
  if (std::optional<MessageAnswer> a = next<MessageAnswer>()) return *a;
  switch (buttons) {
    case MessageButtons::Ok:
      return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
      return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
      return MessageAnswer::No;
  }
  return MessageAnswer::Cancel;
}

std::optional<FileAnswer> ScriptedPrompter::openFile(QWidget*, const FileRequest& request) {
  records_.push_back({Kind::OpenFile, request.title, request.folder + u'/' + request.fileName});
  fileRequests_.push_back(request);
  return next<std::optional<FileAnswer>>().value_or(std::nullopt);
}

std::optional<FileAnswer> ScriptedPrompter::saveFile(QWidget*, const FileRequest& request) {
  records_.push_back({Kind::SaveFile, request.title, request.folder + u'/' + request.fileName});
  fileRequests_.push_back(request);
  return next<std::optional<FileAnswer>>().value_or(std::nullopt);
}

std::optional<QString> ScriptedPrompter::chooseFolder(QWidget*, const QString& title, const QString& start) {
  records_.push_back({Kind::Folder, title, start});
  return next<std::optional<QString>>().value_or(std::nullopt);
}

std::optional<QColor> ScriptedPrompter::chooseColor(QWidget*, const QColor& initial) {
  records_.push_back({Kind::Color, {}, initial.name()});
  return next<std::optional<QColor>>().value_or(std::nullopt);
}

std::optional<QFont> ScriptedPrompter::chooseFont(QWidget*, const QFont& initial) {
  records_.push_back({Kind::Font, {}, initial.toString()});
  return next<std::optional<QFont>>().value_or(std::nullopt);
}

namespace {
std::unique_ptr<Prompter>& current() {
  static std::unique_ptr<Prompter> instance = std::make_unique<ScriptedPrompter>();
  return instance;
}
}  // namespace

Prompter& prompter() { return *current(); }

std::unique_ptr<Prompter> installPrompter(std::unique_ptr<Prompter> next) {
  std::unique_ptr<Prompter> previous = std::move(current());
  current() = next ? std::move(next) : std::make_unique<ScriptedPrompter>();
  return previous;
}

}  // namespace lumivex
