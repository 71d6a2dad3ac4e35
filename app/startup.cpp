#include "app/startup.h"

#include "app/main_window.h"
#include "capture/gst_capture_service.h"
#include "core/app_context.h"
#include "core/single_instance.h"
#include "widgets/widget_prompter.h"

#include <QApplication>
#include <QCommandLineParser>

namespace lumivex {

int runLumivex(int argc, char** argv) {
  // A second instance ends silently: no window, no message, status 0.
  SingleInstance instance;
  if (instance.anotherInstanceRunning()) return 0;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumivex"));
  QApplication::setOrganizationName(QStringLiteral("Lumivex"));

  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption demo(QStringLiteral("demo-camera"),
                                QStringLiteral("Add the built-in simulated camera to the device list."));
  parser.addOption(demo);
  parser.process(app);

  installPrompter(std::make_unique<WidgetPrompter>());
  AppContext& context = AppContext::initialise();  // holds the recording lock for the program's life

  int status = 0;
  {
    const StartOptions options{parser.isSet(demo)};
    MainWindow window(context, options, makeCaptureService(options.demoCamera));
    window.show();
    status = QApplication::exec();
  }
  installPrompter(nullptr);
  AppContext::shutdown();
  return status;
}

}  // namespace lumivex
