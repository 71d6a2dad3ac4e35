#pragma once

#include <QTimer>
#include <QWidget>

namespace lumivex {

class AppContext;

struct StartOptions {
  bool demoCamera = false;
};

// The program's only top-level window while it runs.
class MainWindow : public QWidget {
 public:
  MainWindow(AppContext& context, StartOptions options, QWidget* parent = nullptr);

  bool event(QEvent* event) override;

 private:
  void initialise();
  void onStartupPromptTimer();
  void showCalibratePrompt();

  AppContext& context_;
  StartOptions options_;
  QTimer startupPromptTimer_;  // 1006
};

}  // namespace lumivex
