#pragma once

#include "measure/units.h"

#include <QString>

namespace lumivex {

// The process-wide unit values shared by the live view and every workspace. GUI thread only. The
// reference rate and the last calibration belong to each view (ViewRate, LineCalibrationResult), not
// here. The calibrate-before-measuring flag is Settings::calibratePrompt ("sys_date").
struct CalibrationState {
  UnitName unitName;                // "unit", at most five characters in practice
  int decimals = kDefaultDecimals;  // "decimal", 2..5
  bool showUncertainty = false;     // "ShowUncertainty": results carry " ± u" where it is known
};

CalibrationState& calibrationState();

// Reads "unit" and "decimal" from the Units key into the settings and the state (start-up).
void loadUnits();
// A unit option (1170-1173) or decimals option (1295-1298) of the unit page: sets the state at once and
// writes both registry values. False for any other id.
bool chooseUnitOption(int optionId);
bool chooseDecimalsOption(int optionId);
// The "Show uncertainty" choice of the unit page: sets the state at once and writes "ShowUncertainty".
void chooseShowUncertainty(bool show);

}  // namespace lumivex
