#include "export/spreadsheet/connection_text.h"

namespace lumivex {

QString ConnectionText::build(const QString& driverName, const QString& path) {
  return QStringLiteral("DRIVER={%1};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"%2\";DBQ=%3")
      .arg(driverName, path, path);
}

std::optional<ConnectionText> ConnectionText::parse(const QString& text) {
  ConnectionText result;
  bool haveDatabase = false;
  qsizetype pos = 0;
  while (pos < text.size()) {
    const qsizetype equals = text.indexOf(u'=', pos);
    if (equals < 0) break;
    const QString key = text.mid(pos, equals - pos).trimmed().toUpper();
    const QStringView rest = QStringView(text).mid(equals + 1);
    if (key == u"DBQ") {
      result.database = rest.toString();
      haveDatabase = true;
      break;
    }
    QString value;
    qsizetype consumed = 0;
    if (key == u"CREATE_DB" && rest.startsWith(u'"')) {
      // CREATE_DB="P";DBQ=P: the same path twice, so its length follows from the rest of the text even
      // when the path holds '"' or ';'.
      const QStringView inner = rest.mid(1);
      const QLatin1StringView joint("\";DBQ=");
      const qsizetype n = (inner.size() - joint.size()) / 2;
      if (inner.size() >= joint.size() && (inner.size() - joint.size()) % 2 == 0 &&
          inner.mid(n, joint.size()) == joint && inner.left(n) == inner.mid(n + joint.size())) {
        result.createTarget = inner.left(n).toString();
        result.database = result.createTarget;
        haveDatabase = true;
        break;
      }
    }
    if (rest.startsWith(u'{') || rest.startsWith(u'"') || rest.startsWith(u'\'')) {
      const QChar close = rest.front() == u'{' ? QChar(u'}') : rest.front();
      const qsizetype end = rest.indexOf(close, 1);
      if (end < 0) return std::nullopt;
      value = rest.mid(1, end - 1).toString();
      consumed = end + 1;
      const qsizetype semicolon = rest.indexOf(u';', consumed);
      consumed = semicolon < 0 ? rest.size() : semicolon + 1;
    } else {
      const qsizetype semicolon = rest.indexOf(u';');
      value = (semicolon < 0 ? rest : rest.left(semicolon)).toString();
      consumed = semicolon < 0 ? rest.size() : semicolon + 1;
    }
    if (key == u"DRIVER") result.driver = value;
    if (key == u"CREATE_DB") result.createTarget = value;
    if (key == u"READONLY") result.readOnly = value.compare(u"TRUE", Qt::CaseInsensitive) == 0 || value == u"1";
    if (key == u"FIRSTROWHASNAMES") result.firstRowHasNames = value != u"0";
    pos = equals + 1 + consumed;
  }
  if (!haveDatabase || result.database.isEmpty()) return std::nullopt;
  return result;
}

}  // namespace lumivex
