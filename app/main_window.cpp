#include "app/main_window.h"

#include "app/core/app_context.h"
#include "app/core/app_message.h"
#include "app/core/control_ids.h"
#include "app/core/localisation.h"
#include "app/core/startup_settings.h"
#include "app/widgets/calibrate_prompt_dialog.h"

namespace lumivex {

MainWindow::MainWindow(AppContext& context, StartOptions options, QWidget* parent)
    : QWidget(parent), context_(context), options_(options) {
  initialise();
}

void MainWindow::initialise() {
  loadStartupSettings(context_);
  setWindowTitle(LookupText("MsgTitle", 256, QStringLiteral("Lumivex")));
  resize(860, 655);

  startupPromptTimer_.setObjectName(QString::number(ids::kTimerStartupPrompt));
  startupPromptTimer_.setSingleShot(true);
  startupPromptTimer_.setInterval(100);
  connect(&startupPromptTimer_, &QTimer::timeout, this, [this] { onStartupPromptTimer(); });
  startupPromptTimer_.start();
}

void MainWindow::onStartupPromptTimer() {
  context_.store().loadCalibratePrompt();
  if (context_.settings().calibratePrompt == 1) postAppMessage(this, msg::kCalibratePrompt);
}

void MainWindow::showCalibratePrompt() {
  auto* dialog = new CalibratePromptDialog(context_.store(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

bool MainWindow::event(QEvent* event) {
  switch (AppMessageEvent::messageOf(event->type())) {
    case msg::kCalibratePrompt:
      showCalibratePrompt();
      return true;
    default:
      return QWidget::event(event);
  }
}

}  // namespace lumivex
