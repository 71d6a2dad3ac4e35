#include "export/dxf_export_command.h"

#include "core/prompter.h"
#include "export/cad_drawing.h"
#include "export/export_path.h"
#include "widgets/busy_cursor.h"

namespace lumivex {

QStringList dxfFilters() { return {QStringLiteral("dxf Files (*.dxf)"), QStringLiteral("DXF files (*.DXF)")}; }

ExportOutcome exportDxfDrawing(CadDrawing& cad, const DxfExportRequest& request) {
  const std::optional<QString> path =
      askExportPath(request.parent, request.folder, dxfFilters(), QStringLiteral("dxf"));
  if (!path) return ExportOutcome::Cancelled;
  const BusyCursor busy;
  const std::vector<DxfEntity> entities = dxfEntities(request.shapes, request.source, request.placement);
  switch (writeDxf(cad, entities, request.source, dxfUnitCode(request.unitName), *path)) {
    case DxfResult::Written:
      return ExportOutcome::Written;
    case DxfResult::CreateFailed:
      prompter().message(request.parent, QStringLiteral("Error"), QStringLiteral("Fatal error on creating CDrawing!"),
                         MessageIcon::Error, MessageButtons::Ok);
      return ExportOutcome::Failed;
    case DxfResult::SaveFailed:
      prompter().message(request.parent, QStringLiteral("Error"), QStringLiteral("Error while saving dxf file!"),
                         MessageIcon::Error, MessageButtons::Ok);
      return ExportOutcome::Failed;
  }
  return ExportOutcome::Failed;
}

}  // namespace lumivex
