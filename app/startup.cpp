#include "app/startup.h"

#include "app/files_controller.h"
#include "app/main_window.h"
#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"
#include "capture/gst_capture_service.h"
#include "core/app_context.h"
#include "core/instance_handoff.h"
#include "core/single_instance.h"
#include "widgets/widget_prompter.h"

#include <QApplication>
#include <QCommandLineParser>

#include <clocale>
#include <cstdio>

namespace lumivex {
namespace {

void describe(QCommandLineParser& parser, const QCommandLineOption& demo, const QCommandLineOption& steady) {
  parser.setApplicationDescription(QStringLiteral("Lumivex: live picture, stills, videos and measurements."));
  parser.addHelpOption();
  parser.addOption(demo);
  parser.addOption(steady);
  parser.addPositionalArgument(QStringLiteral("PICTURE"),
                               QStringLiteral("BMP or JPEG pictures to open, each in a workspace of its own."),
                               QStringLiteral("[PICTURE...]"));
}

}  // namespace

int runLumivex(int argc, char** argv) {
  const QCommandLineOption demo(QStringLiteral("demo-camera"),
                                QStringLiteral("Add the built-in simulated camera to the device list."));
  const QCommandLineOption steady(
      QStringLiteral("demo-steady"),
      QStringLiteral("The simulated camera without drift and noise, so its specimen measures exactly."));
  SingleInstance instance;
  if (instance.anotherInstanceRunning()) {
    // A second start ends with status 0, handing its pictures (if any) to the program that runs.
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    describe(parser, demo, steady);
    parser.parse(QCoreApplication::arguments());
    const QStringList pictures = parser.positionalArguments();
    if (!pictures.isEmpty()) InstanceHandoff::send(pictures);
    return 0;
  }
  // Better one warned start than a silent refusal, or two instances nobody was told about.
  if (!instance.locked()) {
    std::fprintf(stderr, "Lumivex: no single-instance lock (%s); a second start will not be refused.\n",
                 qPrintable(instance.error()));
  }

  QApplication app(argc, argv);
  // Qt has just set the C locale from the environment; numbers written by C functions (and the export
  // libraries) must not become "0,7" under a German locale, or readers refuse the files.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Lumivex"));
  QApplication::setOrganizationName(QStringLiteral("Lumivex"));

  QCommandLineParser parser;
  describe(parser, demo, steady);
  parser.process(app);

  installPrompter(std::make_unique<WidgetPrompter>());
  AppContext& context = AppContext::initialise();  // holds the recording lock for the program's life

  int status = 0;
  {
    // Pictures handed over by later starts wait until the window exists.
    QStringList handedOver;
    InstanceHandoff handoff([&handedOver](const QStringList& paths) { handedOver += paths; });
    StartOptions options;
    options.demoCamera = parser.isSet(demo) || parser.isSet(steady);
    std::unique_ptr<CaptureService> capture = makeCaptureService(options.demoCamera);
    if (parser.isSet(steady)) {
      for (const std::shared_ptr<DemoCamera>& camera : DemoCameraHub::instance().cameras()) {
        camera->setDrift(false);
        camera->setNoise(false);
      }
    }
    MainWindow window(context, options, std::move(capture));
    window.show();
    const auto open = [&window](const QStringList& paths) {
      for (const QString& path : paths) window.files().openPicture(path, FilesController::PictureOrigin::CommandLine);
    };
    handoff.setReceiver(open);
    open(parser.positionalArguments() + handedOver);
    status = QApplication::exec();
  }
  installPrompter(nullptr);
  AppContext::shutdown();
  return status;
}

}  // namespace lumivex
