#include "tests/capture/recorder/media_probe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace lumivex::test {
namespace {

QByteArray run(const QString& program, const QStringList& args, int* exitCode = nullptr, QByteArray* err = nullptr) {
  QProcess process;
  process.start(program, args);
  if (!process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished();
    if (exitCode) *exitCode = -1;
    return {};
  }
  if (exitCode) *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  if (err) *err = process.readAllStandardError();
  return process.readAllStandardOutput();
}

}  // namespace

ProbedVideo probeVideo(const QString& path) {
  ProbedVideo v;
  const QByteArray json = run(QStringLiteral("ffprobe"),
                              {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                               QStringLiteral("v:0"), QStringLiteral("-count_frames"), QStringLiteral("-show_entries"),
                               QStringLiteral("stream=codec_name,codec_tag_string,width,height,r_frame_rate,nb_frames,"
                                              "nb_read_frames,duration:packet=pts,flags,size"),
                               QStringLiteral("-of"), QStringLiteral("json"), path});
  const QJsonObject root = QJsonDocument::fromJson(json).object();
  const QJsonArray streams = root.value(QStringLiteral("streams")).toArray();
  if (streams.isEmpty()) return v;
  const QJsonObject s = streams.first().toObject();
  v.ok = true;
  v.codec = s.value(QStringLiteral("codec_name")).toString();
  v.tag = s.value(QStringLiteral("codec_tag_string")).toString();
  v.width = s.value(QStringLiteral("width")).toInt();
  v.height = s.value(QStringLiteral("height")).toInt();
  v.rate = s.value(QStringLiteral("r_frame_rate")).toString();
  bool ok = false;
  const long long header = s.value(QStringLiteral("nb_frames")).toString().toLongLong(&ok);
  v.headerFrames = ok ? header : -1;
  const long long read = s.value(QStringLiteral("nb_read_frames")).toString().toLongLong(&ok);
  v.readFrames = ok ? read : -1;
  v.duration = s.value(QStringLiteral("duration")).toString().toDouble();
  for (const QJsonValue& p : root.value(QStringLiteral("packets")).toArray()) {
    const QJsonObject packet = p.toObject();
    if (packet.value(QStringLiteral("size")).toString().toLongLong() == 0) continue;  // a skipped index
    const long long pts = packet.value(QStringLiteral("pts")).toVariant().toLongLong();
    v.pts.push_back(pts);
    if (packet.value(QStringLiteral("flags")).toString().startsWith(QLatin1Char('K'))) v.keyPts.push_back(pts);
  }
  return v;
}

std::vector<std::uint8_t> firstFrameRgb(const QString& path) {
  const QByteArray bytes =
      run(QStringLiteral("ffmpeg"),
          {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-frames:v"),
           QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
           QStringLiteral("rgb24"), QStringLiteral("-")});
  return {bytes.begin(), bytes.end()};
}

bool gstreamerPlays(const QString& path, QString* error) {
  int code = 0;
  QByteArray err;
  run(QStringLiteral("gst-launch-1.0"),
      {QStringLiteral("-q"), QStringLiteral("filesrc"), QStringLiteral("location=") + path, QStringLiteral("!"),
       QStringLiteral("decodebin"), QStringLiteral("!"), QStringLiteral("videoconvert"), QStringLiteral("!"),
       QStringLiteral("fakesink"), QStringLiteral("sync=false")},
      &code, &err);
  if (error) *error = QString::fromLocal8Bit(err);
  return code == 0;
}

}  // namespace lumivex::test
