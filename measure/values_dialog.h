#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QLineEdit;

namespace lumivex {

// A small dialog of labelled edits: the comparison tools' length (404), vertex (1319) and tolerance
// circle (407) dialogs. OK asks the check; when it refuses, its warning is shown and the dialog stays.
class ValuesDialog : public QDialog {
 public:
  struct Field {
    QString label;
    int labelId = 0;
    int editId = 0;
    QString preset;
    QString unit;  // empty: no unit label
    int unitId = 0;
  };
  // Returns an empty text to accept, or the warning to show.
  using Check = std::function<QString(const QStringList& values)>;

  ValuesDialog(int dialogId, const QString& title, const QList<Field>& fields, Check check, QWidget* parent = nullptr);

  void accept() override;
  QStringList values() const;

  // The three comparison dialogs.
  static QList<Field> rulerFields(const QString& unit);
  static QList<Field> gaugeFields();
  static QList<Field> toleranceFields(const QString& unit);

 private:
  QList<QLineEdit*> edits_;
  Check check_;
};

}  // namespace lumivex
