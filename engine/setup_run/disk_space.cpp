#include "disk_space.h"

#include <cmath>
#include <cstdint>

#include "text.h"

namespace {

// Whole bytes (never negative here) in decimal without separators; the fraction is
// dropped. Exact also beyond 64 bits, where the sum of two absurd script values can land:
// such a number is its top 53 bits doubled once for every further bit.
std::string WholeBytes(double bytes) {
  int bits = 0;
  const double fraction = std::frexp(std::trunc(bytes), &bits);
  if (bits <= 64) return std::to_string(static_cast<std::uint64_t>(std::trunc(bytes)));
  std::string digits = std::to_string(static_cast<std::uint64_t>(std::ldexp(fraction, 53)));
  for (int bit = 53; bit < bits; ++bit) {
    int carry = 0;
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
      const int twice = (*digit - '0') * 2 + carry;
      *digit = static_cast<char>('0' + twice % 10);
      carry = twice / 10;
    }
    if (carry > 0) digits.insert(digits.begin(), '1');
  }
  return digits;
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
