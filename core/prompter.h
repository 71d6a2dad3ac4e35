#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace lumivex {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct FileRequest {
  QString title;
  QString folder;
  QString fileName;
  QStringList filters;  // "JPEG files (*.jpg)"
  QString selectedFilter;
  // Save dialogs: whether the dialog itself asks before an existing file is chosen. Callers that add an
  // extension afterwards ask for the final name themselves.
  bool confirmOverwrite = true;
};

struct FileAnswer {
  QString path;
  QString selectedFilter;
};

// Every modal question the program asks: message boxes and the file, folder, colour and font dialogs.
// The program shows Qt dialogs through it; tests install a scripted one that answers and records.
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual MessageAnswer message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
                                MessageButtons buttons) = 0;
  virtual std::optional<FileAnswer> openFile(QWidget* parent, const FileRequest& request) = 0;
  virtual std::optional<FileAnswer> saveFile(QWidget* parent, const FileRequest& request) = 0;
  virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
  virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
  virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
};

// The process-wide prompter. Until one is installed, a ScriptedPrompter with no script answers.
Prompter& prompter();
// Installs a prompter and returns the previous one (so a test can restore it).
std::unique_ptr<Prompter> installPrompter(std::unique_ptr<Prompter> next);

}  // namespace lumivex
