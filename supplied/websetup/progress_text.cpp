#include "progress_text.h"

#include <cstdio>

namespace {

std::string Bytes(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.0f KB", static_cast<double>(bytes) / 1024.0);
  } else if (bytes < 1024ull * 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  } else {
    std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
  }
  return text;
}

std::string Duration(std::uint64_t seconds) {
  if (seconds < 60) return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
  const std::uint64_t minutes = (seconds + 30) / 60;
  return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

}  // namespace

std::string ProgressText(std::uint64_t done, std::uint64_t total, std::uint64_t received, std::uint64_t elapsed_ms) {
  std::string text = Bytes(done);
  if (total) text += " of " + Bytes(total);
  // Speed and time left once there is something to measure.
  if (elapsed_ms >= 500 && received > 0) {
    const double per_second = static_cast<double>(received) * 1000.0 / static_cast<double>(elapsed_ms);
    text += "   " + Bytes(static_cast<std::uint64_t>(per_second)) + "/s";
    if (total > done) {
      text += "   " + Duration(static_cast<std::uint64_t>(static_cast<double>(total - done) / per_second + 0.5)) + " left";
    }
  }
  return text;
}

int ProgressPermille(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  if (done >= total) return 1000;
  return static_cast<int>(done * 1000 / total);
}
