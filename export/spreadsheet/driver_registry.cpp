#include "export/spreadsheet/spreadsheet_driver.h"
#include "export/spreadsheet/workbook_driver.h"

namespace lumivex {

DriverRegistry& DriverRegistry::instance() {
  static DriverRegistry registry = [] {
    DriverRegistry r;
    r.drivers_.push_back(std::make_shared<WorkbookDriver>());
    return r;
  }();
  return registry;
}

QStringList DriverRegistry::installedDrivers() const {
  QStringList names;
  for (const auto& driver : drivers_) names.append(driver->name());
  return names;
}

std::shared_ptr<SpreadsheetDriver> DriverRegistry::driver(const QString& name) const {
  for (const auto& driver : drivers_)
    if (driver->name() == name) return driver;
  return nullptr;
}

std::vector<std::shared_ptr<SpreadsheetDriver>> DriverRegistry::install(
    std::vector<std::shared_ptr<SpreadsheetDriver>> drivers) {
  std::swap(drivers, drivers_);
  return drivers;
}

}  // namespace lumivex
