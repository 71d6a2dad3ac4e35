#pragma once

#include <QByteArray>
#include <QString>

namespace lumivex {

// Replaces path with data in one step: written to a temporary file in the same folder, flushed, then
// renamed over the target. A failure leaves the old file untouched.
bool writeFileAtomically(const QString& path, const QByteArray& data);

}  // namespace lumivex
