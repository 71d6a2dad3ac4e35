#include "export/spreadsheet/sql_statement.h"

#include <QRegularExpression>

namespace lumivex {
namespace {

// Reads a statement left to right; every method skips leading blanks and reports what it expected.
class Reader {
 public:
  explicit Reader(const QString& text) : text_(text) {}

  bool atEnd() {
    skipBlanks();
    return pos_ >= text_.size();
  }

  bool keyword(QLatin1StringView word) {
    skipBlanks();
    if (text_.mid(pos_, word.size()).compare(word, Qt::CaseInsensitive) != 0) return false;
    const qsizetype after = pos_ + word.size();
    if (after < text_.size() && (text_[after].isLetterOrNumber() || text_[after] == u'_')) return false;
    pos_ = after;
    return true;
  }

  bool symbol(char16_t c) {
    skipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  // [name with ]] for ]] or a bare word.
  std::optional<QString> identifier() {
    skipBlanks();
    if (pos_ >= text_.size()) return std::nullopt;
    if (text_[pos_] == u'[') return delimited(u']');
    if (text_[pos_] == u'"') return delimited(u'"');
    const qsizetype start = pos_;
    while (pos_ < text_.size() &&
           (text_[pos_].isLetterOrNumber() || text_[pos_] == u'_' || text_[pos_] == u'$' || text_[pos_] == u':'))
      ++pos_;
    if (pos_ == start) return std::nullopt;
    return text_.mid(start, pos_ - start);
  }

  // 'text with '' for ''.
  std::optional<QString> literal() {
    skipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != u'\'') return std::nullopt;
    return delimited(u'\'');
  }

  // A column type such as char(255): skipped up to the ',' or ')' that ends the column.
  void skipType() {
    int depth = 0;
    while (pos_ < text_.size()) {
      const QChar c = text_[pos_];
      if (depth == 0 && (c == u',' || c == u')')) return;
      if (c == u'(') ++depth;
      if (c == u')') --depth;
      ++pos_;
    }
  }

 private:
  void skipBlanks() {
    while (pos_ < text_.size() && text_[pos_].isSpace()) ++pos_;
  }

  // The opening character is at pos_; a doubled closing character stands for itself.
  std::optional<QString> delimited(char16_t close) {
    QString out;
    ++pos_;
    while (pos_ < text_.size()) {
      const qsizetype next = text_.indexOf(QChar(close), pos_);
      if (next < 0) break;
      out += QStringView(text_).mid(pos_, next - pos_);
      if (next + 1 < text_.size() && text_[next + 1] == close) {
        out += QChar(close);
        pos_ = next + 2;
        continue;
      }
      pos_ = next + 1;
      return out;
    }
    pos_ = text_.size();
    return std::nullopt;
  }

  const QString& text_;
  qsizetype pos_ = 0;
};

// "ExportData$A1:IV65536" and "ExportData$" name the sheet "ExportData"; a '$' not followed by a range
// is part of the name.
QString sheetOfTable(const QString& table) {
  static const QRegularExpression range(QStringLiteral("^\\$([A-Za-z]{1,3}[0-9]{1,7}(:[A-Za-z]{1,3}[0-9]{1,7})?)?$"));
  const qsizetype dollar = table.lastIndexOf(u'$');
  if (dollar < 0) return table;
  if (range.match(QStringView(table).mid(dollar)).hasMatch()) return table.left(dollar);
  return table;
}

bool fail(QString* error, const QString& text) {
  if (error) *error = text;
  return false;
}

// "( item , item ... )" read by one of the Reader's methods.
template <typename Read>
bool list(Reader& in, QStringList& out, Read read, bool withTypes) {
  if (!in.symbol(u'(')) return false;
  do {
    std::optional<QString> item = read();
    if (!item) return false;
    out.append(std::move(*item));
    if (withTypes) in.skipType();
  } while (in.symbol(u','));
  return in.symbol(u')');
}

}  // namespace

std::optional<SqlStatement> SqlStatement::parse(const QString& text, QString* errorOut) {
  QString problem;
  QString* error = &problem;
  Reader in(text);
  SqlStatement statement;
  const auto table = [&]() -> bool {
    const std::optional<QString> name = in.identifier();
    if (!name) return fail(error, QStringLiteral("Syntax error: a table name is expected"));
    statement.sheet = sheetOfTable(*name);
    if (statement.sheet.isEmpty()) return fail(error, QStringLiteral("Syntax error: empty table name"));
    return true;
  };
  bool ok = false;
  if (in.keyword(QLatin1StringView("SELECT"))) {
    statement.kind = Kind::Select;
    ok = in.symbol(u'*') && in.keyword(QLatin1StringView("FROM")) && table();
  } else if (in.keyword(QLatin1StringView("DROP"))) {
    statement.kind = Kind::Drop;
    ok = in.keyword(QLatin1StringView("TABLE")) && table();
  } else if (in.keyword(QLatin1StringView("CREATE"))) {
    statement.kind = Kind::Create;
    ok = in.keyword(QLatin1StringView("TABLE")) && table() &&
         list(
             in, statement.columns, [&] { return in.identifier(); }, true);
  } else if (in.keyword(QLatin1StringView("INSERT"))) {
    statement.kind = Kind::Insert;
    ok = in.keyword(QLatin1StringView("INTO")) && table() &&
         list(
             in, statement.columns, [&] { return in.identifier(); }, false) &&
         in.keyword(QLatin1StringView("VALUES")) &&
         list(
             in, statement.values, [&] { return in.literal(); }, false);
    if (ok && statement.columns.size() != statement.values.size())
      ok = fail(error, QStringLiteral("Number of query values and destination fields are not the same"));
  }
  if (!ok || !in.atEnd()) {
    if (problem.isEmpty()) problem = QStringLiteral("Syntax error in statement: ") + text.left(80);
    if (errorOut) *errorOut = problem;
    return std::nullopt;
  }
  return statement;
}

namespace {

// value between open and close, with every close inside doubled. Appended in runs: the writer builds
// thousands of statements.
void appendQuoted(QString& out, const QString& value, QChar open, QChar close) {
  out += open;
  qsizetype from = 0;
  for (qsizetype at = value.indexOf(close); at >= 0; at = value.indexOf(close, from)) {
    out += QStringView(value).mid(from, at + 1 - from);
    out += close;
    from = at + 1;
  }
  out += QStringView(value).mid(from);
  out += close;
}

}  // namespace

void appendSqlIdentifier(QString& out, const QString& name) { appendQuoted(out, name, u'[', u']'); }

void appendSqlLiteral(QString& out, const QString& value) { appendQuoted(out, value, u'\'', u'\''); }

QString sqlIdentifier(const QString& name) {
  QString out;
  appendSqlIdentifier(out, name);
  return out;
}

QString sqlLiteral(const QString& value) {
  QString out;
  appendSqlLiteral(out, value);
  return out;
}

}  // namespace lumivex
