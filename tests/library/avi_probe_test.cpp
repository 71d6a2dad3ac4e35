#include "library/player/avi_probe.h"

#include "tests/support/temp_home.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Verdict = AviProbe::Verdict;

QByteArray chunk(const char* id, const QByteArray& data, qint64 declared = -1) {
  QByteArray out(id, 4);
  char size[4];
  qToLittleEndian<quint32>(static_cast<quint32>(declared < 0 ? data.size() : declared), size);
  out.append(size, 4).append(data);
  if (data.size() & 1) out.append('\0');
  return out;
}

QByteArray list(const char* type, const QByteArray& body, qint64 declared = -1) {
  return chunk("LIST", QByteArray(type, 4) + body, declared < 0 ? -1 : declared);
}

QByteArray riff(const QByteArray& body) { return chunk("RIFF", QByteArray("AVI ", 4) + body); }

const QByteArray kHeaders = list("hdrl", chunk("avih", QByteArray(56, '\0')));
const QByteArray kFrame = chunk("00dc", QByteArray(300, 'x'));

TEST(AviProbe, ReadsTheChunkStructure) {
  struct Case {
    const char* name;
    QByteArray bytes;
    Verdict verdict;
  };
  const Case cases[] = {
      {"one frame", riff(kHeaders + list("movi", kFrame)), Verdict::HasFrames},
      {"uncompressed frame", riff(kHeaders + list("movi", chunk("00db", QByteArray(64, 'x')))), Verdict::HasFrames},
      {"frame in a rec list", riff(kHeaders + list("movi", list("rec ", kFrame))), Verdict::HasFrames},
      {"sound before the frame", riff(kHeaders + list("movi", chunk("01wb", QByteArray(99, 's')) + kFrame)),
       Verdict::HasFrames},
      {"empty movie list", riff(kHeaders + list("movi", {})), Verdict::NoFrames},
      {"only empty frames", riff(kHeaders + list("movi", chunk("00dc", {}) + chunk("00dc", {}))), Verdict::NoFrames},
      {"only sound", riff(kHeaders + list("movi", chunk("01wb", QByteArray(64, 's')))), Verdict::NoFrames},
      {"no movie list", riff(kHeaders), Verdict::NoFrames},
      {"movie list size never written", riff(kHeaders) + list("movi", kFrame, 0), Verdict::HasFrames},
      {"frame header without its data", riff(kHeaders + list("movi", {})) + QByteArray("00dc\x10\0\0\0", 8),
       Verdict::NoFrames},
      {"sizes beyond the end", riff(kHeaders + list("movi", kFrame, 1 << 30)).left(600), Verdict::HasFrames},
      {"not a RIFF file", QByteArray(4096, 'R'), Verdict::NotAvi},
      {"a WAVE file", chunk("RIFF", QByteArray("WAVE", 4)), Verdict::NotAvi},
      {"empty file", QByteArray(), Verdict::NotAvi},
      {"header cut short", QByteArray("RIFF\0\0", 6), Verdict::NotAvi},
  };
  QTemporaryDir dir;
  for (const Case& c : cases) {
    const QString path = dir.filePath(QStringLiteral("probe.avi"));
    ASSERT_TRUE(test::writeBytes(path, c.bytes));
    EXPECT_EQ(AviProbe::inspect(path), c.verdict) << c.name;
  }
  EXPECT_EQ(AviProbe::inspect(dir.filePath(QStringLiteral("missing.avi"))), Verdict::NotAvi);
}

}  // namespace
}  // namespace lumivex
