#pragma once

#include "core/atomic_file.h"

#include <QString>

class QWidget;

namespace lumivex {

// The one message for a file the program could not write: "Save fail", the file, and the system's
// reason ("No space left on device"), so the user knows what to free or fix.
QString writeFailureText(const QString& path, const WriteResult& result);
// Shows it through the prompter, as a warning with an OK button.
void showWriteFailure(QWidget* parent, const QString& path, const WriteResult& result);

}  // namespace lumivex
