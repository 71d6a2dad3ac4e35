#pragma once

#include <QString>

namespace lumivex {

// The number a text starts with, read the way the stored texts were written: leading blanks skipped, an
// optional sign, digits with an optional '.' fraction and exponent; anything after it is ignored ("100X"
// reads 100). No number, or one that is not finite, reads 0. Never depends on the process locale.
double leadingNumber(const QString& text);

}  // namespace lumivex
