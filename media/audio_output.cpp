#include "media/audio_output.h"

#include <QDir>
#include <QFileInfo>

namespace lumivex {

AudioOutputProbe AudioOutputProbe::fromEnvironment() {
  AudioOutputProbe probe;
  probe.runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  probe.pulseServer = qgetenv("PULSE_SERVER");
  return probe;
}

bool AudioOutputProbe::available() const {
  if (!pulseServer.isEmpty()) return true;
  if (!runtimeDir.isEmpty()) {
    for (const char* socket : {"pulse/native", "pipewire-0"}) {
      if (QFileInfo::exists(runtimeDir + u'/' + QLatin1String(socket))) return true;
    }
  }
  // ALSA playback PCMs are named pcmC<card>D<device>p.
  const QStringList pcms = QDir(soundDevices).entryList({QStringLiteral("pcmC*D*p")}, QDir::System | QDir::Files);
  return !pcms.isEmpty();
}

}  // namespace lumivex
