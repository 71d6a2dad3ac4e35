#pragma once

#include "widgets/skin_renderer.h"

#include <QAbstractButton>
#include <QString>

namespace lumivex {

// A push button drawn from the skin: a face in the button's look and an icon from a vector source,
// sized to the size the layout gives it. Its objectName is its control id.
class SkinButton : public QAbstractButton {
 public:
  SkinButton(int id, QString iconFile, QSize size, QWidget* parent = nullptr);

  int id() const { return id_; }
  const QString& iconFile() const { return iconFile_; }
  void setIconFile(QString iconFile);
  // Share of the button's height taken by its icon.
  void setIconScale(qreal scale);

  QSize sizeHint() const override { return size_; }
  QSize minimumSizeHint() const override { return size_; }

  // The look the button is drawn in now.
  virtual ButtonLook look() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // The icon shown in the current state.
  virtual QString currentIconFile() const { return iconFile_; }

 private:
  int id_;
  QString iconFile_;
  QSize size_;
  qreal iconScale_ = 0.68;
  bool hovered_ = false;
};

}  // namespace lumivex
