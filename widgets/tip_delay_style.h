#pragma once

#include <QProxyStyle>

namespace lumivex {

// Shows tool-tips after a short, fixed delay (100 ms) instead of the platform's longer one.
class TipDelayStyle : public QProxyStyle {
 public:
  static constexpr int kWakeUpDelayMs = 100;

  int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                QStyleHintReturn* returnData = nullptr) const override;
};

}  // namespace lumivex
