#include "app/startup.h"

#include "app/command_line.h"
#include "app/files_controller.h"
#include "app/main_window.h"
#include "app/startup_report.h"
#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"
#include "capture/gst_capture_service.h"
#include "core/app_context.h"
#include "core/instance_handoff.h"
#include "core/single_instance.h"
#include "widgets/widget_prompter.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

#include <clocale>
#include <cstdio>

namespace lumivex {
namespace {

QStringList rawArguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

void print(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

}  // namespace

int runLumivex(int argc, char** argv) {
  // --help and --version answer before anything else: no display, no lock, whether or not the program
  // is running.
  const QStringList raw = rawArguments(argc, argv);
  const QString programName = QFileInfo(raw.value(0, QStringLiteral("lumivex"))).fileName();
  const CommandLine early = parseCommandLine(raw);
  if (early.help) {
    print(stdout, usageText(programName));
    return 0;
  }
  if (early.version) {
    print(stdout, versionText());
    return 0;
  }

  SingleInstance instance;
  if (instance.anotherInstanceRunning()) {
    // A second start ends with status 0, handing its files (if any) to the program that runs.
    QCoreApplication core(argc, argv);
    if (!early.files.isEmpty()) InstanceHandoff::send(early.files);
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
  QApplication::setApplicationVersion(QStringLiteral(LUMIVEX_VERSION));
  // Desktops that match windows to launchers (Wayland) find the icon and name through this.
  QGuiApplication::setDesktopFileName(QStringLiteral("lumivex"));

  const CommandLine line = parseCommandLine(QApplication::arguments());
  if (!line.error.isEmpty()) {
    print(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(programName, line.error));
    return 2;
  }

  installPrompter(std::make_unique<WidgetPrompter>());
  AppContext& context = AppContext::initialise();  // holds the recording lock for the program's life

  int status = 0;
  {
    // Files handed over by later starts wait until the window exists.
    QStringList handedOver;
    InstanceHandoff handoff([&handedOver](const QStringList& paths) { handedOver += paths; });
    StartOptions options;
    options.demoCamera = line.demoCamera || line.demoSteady;
    std::unique_ptr<CaptureService> capture = makeCaptureService(options.demoCamera);
    if (line.demoSteady) {
      for (const std::shared_ptr<DemoCamera>& camera : DemoCameraHub::instance().cameras()) {
        camera->setDrift(false);
        camera->setNoise(false);
      }
    }
    MainWindow window(context, options, std::move(capture));
    reportStartupFiles(context.paths());
    window.show();
    const auto open = [&window](const QStringList& paths) { window.files().openFiles(paths); };
    handoff.setReceiver(open);
    open(line.files + handedOver);
    status = QApplication::exec();
  }
  installPrompter(nullptr);
  AppContext::shutdown();
  return status;
}

}  // namespace lumivex
