#include "core/write_failure_notice.h"

#include "core/localisation.h"
#include "core/prompter.h"

namespace lumivex {

QString writeFailureText(const QString& path, const WriteResult& result) {
  return LookupText("SaveFail", 128, QStringLiteral("Save fail")) + u'\n' + path + u'\n' + result.reason;
}

void showWriteFailure(QWidget* parent, const QString& path, const WriteResult& result) {
  prompter().message(parent, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")), writeFailureText(path, result),
                     MessageIcon::Warning, MessageButtons::Ok);
}

}  // namespace lumivex
