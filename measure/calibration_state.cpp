#include "measure/calibration_state.h"

#include "core/app_context.h"

namespace lumivex {
namespace {

void saveUnitsOfState() {
  if (!AppContext::exists()) return;
  const CalibrationState& state = calibrationState();
  AppContext::current().store().saveUnits(state.unitName.text(), static_cast<std::uint32_t>(state.decimals));
}

}  // namespace

CalibrationState& calibrationState() {
  static CalibrationState state;
  return state;
}

void loadUnits() {
  if (!AppContext::exists()) return;
  AppContext& context = AppContext::current();
  context.store().loadUnits();
  CalibrationState& state = calibrationState();
  state.unitName.assign(knownUnit(context.settings().unit));
  state.decimals = usableDecimals(static_cast<int>(context.settings().decimals));
  state.showUncertainty = context.settings().showUncertainty;
}

bool chooseUnitOption(int optionId) {
  const QString unit = unitOfOption(optionId);
  if (unit.isEmpty()) return false;
  calibrationState().unitName.assign(unit);
  saveUnitsOfState();
  return true;
}

bool chooseDecimalsOption(int optionId) {
  const int decimals = decimalsOfOption(optionId);
  if (decimals == 0) return false;
  calibrationState().decimals = decimals;
  saveUnitsOfState();
  return true;
}

void chooseShowUncertainty(bool show) {
  calibrationState().showUncertainty = show;
  if (AppContext::exists()) AppContext::current().store().saveShowUncertainty(show);
}

}  // namespace lumivex
