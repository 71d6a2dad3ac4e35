#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

namespace lumivex {

// The About box (template 100): product name, a description, the version, the copyright and the
// project's web address as a link.
class AboutDialog : public QDialog {
 public:
  using UrlOpener = std::function<bool(const QUrl&)>;

  AboutDialog(UrlOpener openUrl, QWidget* parent = nullptr);
};

}  // namespace lumivex
