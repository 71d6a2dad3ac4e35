#pragma once

#include <QByteArray>
#include <QString>

namespace lumivex {

// Whether this machine can play sound at all: a PulseAudio or PipeWire server to talk to, or an ALSA
// playback device. Asked before an audio sink is built, because GStreamer's automatic sink probes every
// audio system and ALSA prints its failures to stderr when there is none.
struct AudioOutputProbe {
  QString runtimeDir;      // $XDG_RUNTIME_DIR, where the sound servers put their sockets
  QByteArray pulseServer;  // $PULSE_SERVER: a server named explicitly
  QString soundDevices = QStringLiteral("/dev/snd");

  // The probe of this process's environment.
  static AudioOutputProbe fromEnvironment();
  bool available() const;
};

}  // namespace lumivex
