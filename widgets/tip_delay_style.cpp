#include "widgets/tip_delay_style.h"

namespace lumivex {

int TipDelayStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const {
  if (hint == QStyle::SH_ToolTip_WakeUpDelay) return kWakeUpDelayMs;
  return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace lumivex
