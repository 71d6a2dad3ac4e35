#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace lumivex {

// Asks for the name of a file to export to (through the Prompter, which asks before overwriting) in
// folder, and gives a name typed without an extension the one of the chosen filter ("part" becomes
// "part.dxf"), or defaultSuffix. nullopt when cancelled.
std::optional<QString> askExportPath(QWidget* parent, const QString& folder, const QStringList& filters,
                                     const QString& defaultSuffix);

// The suffix a filter such as "Docx files (*.docx)" names, or an empty text.
QString filterSuffix(const QString& filter);

}  // namespace lumivex
