#include "measure/calibration_file.h"

#include "core/app_context.h"
#include "core/whole_file.h"

#include <cerrno>

namespace lumivex {
namespace {

bool isComment(const QByteArray& line) { return line.contains("//"); }

// "[name]" after trimming; the name between the brackets, trimmed. A line that opens a section but never
// closes it names nothing, though it still ends the section before it.
std::optional<QByteArray> sectionName(const QByteArray& line) {
  const QByteArray t = line.trimmed();
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  return t.mid(1, t.size() - 2).trimmed();
}

bool sameName(const QByteArray& a, const QByteArray& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QByteArray keyOf(const QByteArray& line) {
  const qsizetype eq = line.indexOf('=');
  return eq < 0 ? QByteArray() : line.left(eq).trimmed();
}

}  // namespace

bool CalibrationFile::load(const QString& path) {
  bom_.clear();
  lines_.clear();
  const WholeFile file = WholeFile::read(path, kMaxBytes);
  if (file.status == WholeFile::Status::Missing) return true;
  if (file.status != WholeFile::Status::Read) return false;
  QByteArray bytes = file.bytes;
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    bom_ = bytes.left(3);
    bytes.remove(0, 3);
  }
  qsizetype start = 0;
  while (start < bytes.size()) {
    const qsizetype nl = bytes.indexOf('\n', start);
    Line line;
    if (nl < 0) {
      line.text = bytes.mid(start);
      start = bytes.size();
    } else {
      line.text = bytes.mid(start, nl - start);
      line.end = "\n";
      start = nl + 1;
    }
    if (line.text.endsWith('\r')) {
      line.text.chop(1);
      line.end.prepend('\r');
    }
    lines_.append(line);
  }
  return true;
}

QByteArray CalibrationFile::serialise() const {
  QByteArray out = bom_;
  for (const Line& line : lines_) out += line.text + line.end;
  return out;
}

WriteResult CalibrationFile::save(const QString& path) const { return AtomicFile::write(path, serialise()); }

QByteArray CalibrationFile::newLineEnd() const {
  for (const Line& line : lines_)
    if (!line.end.isEmpty()) return line.end;
  return "\n";
}

int CalibrationFile::findSection(const QByteArray& name) const {
  for (int i = 0; i < lines_.size(); ++i) {
    if (isComment(lines_[i].text)) continue;
    const std::optional<QByteArray> section = sectionName(lines_[i].text);
    if (section && sameName(*section, name)) return i;
  }
  return -1;
}

int CalibrationFile::findKey(int headerIndex, const QByteArray& key) const {
  for (int i = headerIndex + 1; i < lines_.size(); ++i) {
    const QByteArray& text = lines_[i].text;
    if (isComment(text)) continue;
    if (text.contains('[')) break;
    if (text.contains('=') && sameName(keyOf(text), key)) return i;
  }
  return -1;
}

std::optional<QString> CalibrationFile::lookup(const QString& magnification) const {
  const QByteArray name = magnification.trimmed().toUtf8();
  if (name.isEmpty()) return std::nullopt;
  const int header = findSection(name);
  if (header < 0) return std::nullopt;
  const int line = findKey(header, name);
  if (line < 0) return std::nullopt;
  const QByteArray& text = lines_[line].text;
  return QString::fromUtf8(text.mid(text.indexOf('=') + 1)).trimmed();
}

void CalibrationFile::store(const QString& magnification, const QString& value) {
  const QByteArray name = magnification.trimmed().toUtf8();
  if (name.isEmpty()) return;
  const QByteArray entry = name + '=' + value.trimmed().toUtf8();
  const QByteArray eol = newLineEnd();
  const int header = findSection(name);
  if (header < 0) {
    // A last line without a line end gets one, so the new section starts on its own line.
    if (!lines_.isEmpty() && lines_.back().end.isEmpty()) lines_.back().end = eol;
    lines_.append({'[' + name + ']', eol});
    lines_.append({entry, eol});
    return;
  }
  const int key = findKey(header, name);
  if (key >= 0) {
    lines_[key].text = entry;
    return;
  }
  // Before the line that ends the section, or at the end of the file.
  int at = header + 1;
  while (at < lines_.size() && (isComment(lines_[at].text) || !lines_[at].text.contains('['))) ++at;
  if (at == lines_.size() && lines_.back().end.isEmpty()) lines_.back().end = eol;
  lines_.insert(at, {entry, eol});
}

std::optional<QString> lookupCalibration(const QString& path, const QString& magnification) {
  CalibrationFile file;
  if (!file.load(path)) return std::nullopt;
  return file.lookup(magnification);
}

WriteResult storeCalibration(const QString& path, const QString& magnification, const QString& value) {
  if (magnification.trimmed().isEmpty()) return WriteResult::failure(EINVAL, QStringLiteral("No magnification"));
  CalibrationFile file;
  // A file that cannot be read is never replaced by one holding only the new line.
  if (!file.load(path)) {
    const WholeFile probe = WholeFile::read(path, CalibrationFile::kMaxBytes);
    if (probe.status == WholeFile::Status::TooLarge) return WriteResult::failure(EFBIG);
    if (probe.error != 0) return WriteResult::failure(probe.error, probe.reason);
    return WriteResult::failure(EIO);
  }
  file.store(magnification, value);
  return file.save(path);
}

std::optional<QString> lookupCalibration(const QString& magnification) {
  if (!AppContext::exists()) return std::nullopt;
  return lookupCalibration(AppContext::current().paths().calibrationFile(), magnification);
}

WriteResult storeCalibration(const QString& magnification, const QString& value) {
  if (!AppContext::exists()) return WriteResult::failure(ENOENT);
  return storeCalibration(AppContext::current().paths().calibrationFile(), magnification, value);
}

}  // namespace lumivex
