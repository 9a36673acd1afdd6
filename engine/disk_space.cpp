#include "disk_space.h"

#include <cmath>
#include <cstdio>

#include "text.h"

namespace {

// Whole bytes in decimal without separators; the fraction is dropped.
std::string WholeBytes(double bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f", std::trunc(bytes));
  return text;
}

std::string ShortageMessage(const std::string& drive, double required, double available) {
  return "Error: Insufficient disk space on drive " + drive + " for this installation. Space required is: " +
         WholeBytes(required) + " bytes. Space available is: " + WholeBytes(available) + " bytes. ";
}

}  // namespace

std::string DiskSpaceShortage(RequiredSpace required, const std::string& product_drive,
                              std::optional<double> product_free, const std::string& system_drive,
                              std::optional<double> system_free) {
  if (!product_free || !system_free) return {};
  // Sizes are summed as floating-point numbers, so absurd script values cannot wrap.
  double program = static_cast<double>(required.program);
  const double system = static_cast<double>(required.system);
  if (EqualsIgnoringCase(product_drive, system_drive)) program += system;
  if (program > *product_free) return ShortageMessage(product_drive, program, *product_free);
  if (system > *system_free) return ShortageMessage(system_drive, system, *system_free);
  return {};
}
