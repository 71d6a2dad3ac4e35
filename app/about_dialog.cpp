#include "app/about_dialog.h"

#include "app/project_links.h"
#include "core/localisation.h"
#include "widgets/skin_renderer.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

AboutDialog::AboutDialog(UrlOpener openUrl, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("100"));
  setWindowTitle(LookupText("AboutLumivex1", 64, QStringLiteral("About Lumivex")));

  auto* icon = new QLabel(this);
  icon->setPixmap(SkinRenderer::icon(QStringLiteral("app-icon.svg")).pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);

  auto* product = new QLabel(LookupText("AboutLumivex2", 64, QStringLiteral("Lumivex")), this);
  QFont big = product->font();
  big.setPointSizeF(big.pointSizeF() * 1.4);
  big.setBold(true);
  product->setFont(big);

  auto* description = new QLabel(
      LookupText("AboutDescription", 128, QStringLiteral("Software for USB digital microscope cameras")), this);
  auto* version = new QLabel(
      LookupText("AboutVersion", 64,
                 QStringLiteral("Version %1")
                     .arg(QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral("0.1.0")
                                                                           : QCoreApplication::applicationVersion())),
      this);
  auto* copyright =
      new QLabel(LookupText("AboutCopyright", 128, QStringLiteral("Copyright \u00A9 Lumivex developers")), this);

  const QString home = projectHomePage();
  auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(home.toHtmlEscaped()), this);
  link->setTextFormat(Qt::RichText);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(link, &QLabel::linkActivated, this, [openUrl](const QString& url) {
    if (openUrl) openUrl(QUrl(url));
  });

  auto* ok = new QPushButton(LookupText("OK", 64, QStringLiteral("OK")), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(product);
  texts->addWidget(description);
  texts->addWidget(version);
  texts->addWidget(copyright);
  texts->addWidget(link);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(8);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
}

}  // namespace lumivex
