#include "measure/text_dialog.h"

#include "core/app_context.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "core/write_failure_notice.h"
#include "measure/drawing_style.h"
#include "measure/font_store.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {
namespace {

// The current text, transparent, 2 pixels from the left and centred on the font's height.
class TextPreview : public QGroupBox {
 public:
  TextPreview(const QString& title, const TextDialog& dialog, QWidget* parent)
      : QGroupBox(title, parent), dialog_(dialog) {
    setMinimumSize(260, 70);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QGroupBox::paintEvent(event);
    QPainter painter(this);
    painter.setFont(toQFont(dialog_.font()));
    painter.setPen(colorFromRef(dialog_.color()));
    const QFontMetrics metrics(painter.font());
    const int top = (height() - metrics.height()) / 2;
    painter.drawText(QPoint(2, top + metrics.ascent()), dialog_.text());
  }

 private:
  const TextDialog& dialog_;
};

}  // namespace

TextDialog::TextDialog(QWidget* parent) : QDialog(parent), edit_(new QLineEdit(this)) {
  setObjectName(QStringLiteral("246"));
  setWindowTitle(LookupText("TextSetting", 64, QStringLiteral("Input Text")));
  if (AppContext::exists()) {
    AppContext::current().store().loadFontColor();
    color_ = AppContext::current().settings().fontColor & 0xFFFFFF;
  }
  if (const std::optional<LogFont> stored = loadFontFile(textFontPath())) font_ = *stored;

  auto* prompt = new QLabel(LookupText("EnterText", 64, QStringLiteral("Please enter text:")), this);
  prompt->setObjectName(QStringLiteral("1163"));
  edit_->setObjectName(QStringLiteral("1121"));
  edit_->setMaxLength(kMaxLength);
  auto* fontButton = new QPushButton(LookupText("Font", 64, QStringLiteral("Text Font")), this);
  fontButton->setObjectName(QStringLiteral("1142"));
  preview_ = new TextPreview(LookupText("Preview", 64, QStringLiteral("Preview")), *this, this);
  preview_->setObjectName(QStringLiteral("1165"));
  connect(edit_, &QLineEdit::textChanged, preview_, qOverload<>(&QWidget::update));
  connect(fontButton, &QPushButton::clicked, this, &TextDialog::chooseFont);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
  buttons->button(QDialogButtonBox::Ok)->setText(LookupText("OK", 64, QStringLiteral("OK")));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
  buttons->button(QDialogButtonBox::Cancel)->setText(LookupText("Cancel", 64, QStringLiteral("Cancel")));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(edit_);
  layout->addWidget(fontButton);
  layout->addWidget(preview_);
  layout->addWidget(buttons);
}

QString TextDialog::text() const { return edit_->text(); }

void TextDialog::chooseFont() {
  // Qt's font chooser has no colour box: the text colour is asked right after the font.
  const std::optional<QFont> chosen = prompter().chooseFont(this, toQFont(font_));
  if (!chosen) return;
  font_ = fromQFont(*chosen, font_);
  if (const std::optional<QColor> color = prompter().chooseColor(this, colorFromRef(color_)))
    color_ = refFromColor(*color);
  if (AppContext::exists()) AppContext::current().store().saveFontColor(color_);
  if (const WriteResult saved = saveFontFile(textFontPath(), font_); !saved)
    showWriteFailure(this, textFontPath(), saved);
  preview_->update();
}

}  // namespace lumivex
