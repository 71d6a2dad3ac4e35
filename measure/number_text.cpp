#include "measure/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace lumivex {

double leadingNumber(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  std::string digits;
  auto takeDigits = [&] {
    qsizetype count = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
      digits += static_cast<char>(text[i].unicode());
      ++i;
      ++count;
    }
    return count;
  };
  qsizetype mantissa = takeDigits();
  if (i < n && text[i] == u'.') {
    digits += '.';
    ++i;
    mantissa += takeDigits();
  }
  if (mantissa == 0) return 0.0;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    // The exponent counts only when digits follow it ("2e" reads 2).
    const qsizetype mark = i;
    const std::string::size_type kept = digits.size();
    digits += 'e';
    ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
      digits += static_cast<char>(text[i].unicode());
      ++i;
    }
    if (takeDigits() == 0) {
      i = mark;
      digits.resize(kept);
    }
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || !std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

}  // namespace lumivex
