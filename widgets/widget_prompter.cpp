#include "widgets/widget_prompter.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace lumivex {
namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return QMessageBox::Ok;
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

std::optional<FileAnswer> fileAnswer(const QString& path, const QString& filter) {
  if (path.isEmpty()) return std::nullopt;
  return FileAnswer{path, filter};
}

}  // namespace

MessageAnswer WidgetPrompter::message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
                                      MessageButtons buttons) {
  QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), parent);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    default:
      return MessageAnswer::Cancel;
  }
}

std::optional<FileAnswer> WidgetPrompter::openFile(QWidget* parent, const FileRequest& request) {
  QString filter = request.selectedFilter;
  const QString path = QFileDialog::getOpenFileName(parent, request.title, request.folder + u'/' + request.fileName,
                                                    request.filters.join(QStringLiteral(";;")), &filter);
  return fileAnswer(path, filter);
}

std::optional<FileAnswer> WidgetPrompter::saveFile(QWidget* parent, const FileRequest& request) {
  QString filter = request.selectedFilter;
  const QString path = QFileDialog::getSaveFileName(
      parent, request.title, request.folder + u'/' + request.fileName, request.filters.join(QStringLiteral(";;")),
      &filter, request.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
  return fileAnswer(path, filter);
}

std::optional<QString> WidgetPrompter::chooseFolder(QWidget* parent, const QString& title, const QString& start) {
  const QString folder = QFileDialog::getExistingDirectory(parent, title, start);
  if (folder.isEmpty()) return std::nullopt;
  return folder;
}

std::optional<QColor> WidgetPrompter::chooseColor(QWidget* parent, const QColor& initial) {
  const QColor color = QColorDialog::getColor(initial, parent);
  if (!color.isValid()) return std::nullopt;
  return color;
}

std::optional<QFont> WidgetPrompter::chooseFont(QWidget* parent, const QFont& initial) {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, initial, parent);
  if (!ok) return std::nullopt;
  return font;
}

}  // namespace lumivex
