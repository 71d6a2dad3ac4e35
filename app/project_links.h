#pragma once

#include <QString>

namespace lumivex {

// The project's web addresses shown in the About box and opened by the Update command. They are
// placeholders under the reserved example.org domain until the project has a home of its own; change
// them here only.
inline QString projectHomePage() { return QStringLiteral("https://lumivex.example.org/"); }
inline QString projectDownloadPage() { return QStringLiteral("https://lumivex.example.org/download"); }

}  // namespace lumivex
