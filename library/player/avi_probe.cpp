#include "library/player/avi_probe.h"

#include <QFile>
#include <QtEndian>

namespace lumivex {

namespace {

struct ChunkHeader {
  QByteArray id;
  quint32 size = 0;
};

bool readHeader(QFile& file, qint64 at, ChunkHeader& header) {
  if (!file.seek(at)) return false;
  const QByteArray bytes = file.read(8);
  if (bytes.size() != 8) return false;
  header.id = bytes.left(4);
  header.size = qFromLittleEndian<quint32>(bytes.constData() + 4);
  return true;
}

// A chunk's end, its size padded to an even count; a size that runs past the list (a recording cut off
// before its sizes were written) ends at the list's end.
qint64 chunkEnd(qint64 at, quint32 size, qint64 limit) {
  const qint64 end = at + 8 + static_cast<qint64>(size) + (size & 1U);
  return end > limit ? limit : end;
}

bool isVideoChunk(const QByteArray& id) {
  // "00dc" compressed, "00db" uncompressed: the stream number, then the kind.
  return id.size() == 4 && id[0] >= '0' && id[0] <= '9' && id[1] >= '0' && id[1] <= '9' &&
         (id.endsWith("dc") || id.endsWith("db"));
}

bool moviHasFrame(QFile& file, qint64 from, qint64 limit) {
  ChunkHeader chunk;
  for (qint64 at = from; at + 8 <= limit && readHeader(file, at, chunk);) {
    if (chunk.id == "LIST") {
      at += 12;  // "rec " groups: their chunks are read in place
      continue;
    }
    if (isVideoChunk(chunk.id) && chunk.size > 0 && at + 8 < limit) return true;
    const qint64 next = chunkEnd(at, chunk.size, limit);
    if (next <= at) break;
    at = next;
  }
  return false;
}

}  // namespace

AviProbe::Verdict AviProbe::inspect(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Verdict::NotAvi;
  const QByteArray head = file.read(12);
  if (head.size() != 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "AVI ") return Verdict::NotAvi;
  const qint64 limit = file.size();
  ChunkHeader chunk;
  for (qint64 at = 12; at + 12 <= limit && readHeader(file, at, chunk);) {
    if (chunk.id == "LIST") {
      file.seek(at + 8);
      if (file.read(4) == "movi") {
        // A recorder stopped before it wrote the list's size leaves it 0: the frames run to the file's end.
        const qint64 end = chunk.size < 4 ? limit : chunkEnd(at, chunk.size, limit);
        return moviHasFrame(file, at + 12, end) ? Verdict::HasFrames : Verdict::NoFrames;
      }
    }
    const qint64 next = chunkEnd(at, chunk.size, limit);
    if (next <= at) break;
    at = next;
  }
  return Verdict::NoFrames;
}

}  // namespace lumivex
