#include "operations/ProgressTexts.h"

#include <cmath>

#include "base/Text.h"
#include "resources/ResourceIds.h"

namespace {

constexpr uint32_t kRateMinimumMs = 1000;

bool ByBytes(const ProgressFigures& figures) { return !figures.items && figures.bytesTotal > 0; }

// The part done and the part left, in the measure the bar uses.
double DoneMeasure(const ProgressFigures& figures) {
  return ByBytes(figures) ? static_cast<double>(figures.bytesDone) : static_cast<double>(figures.done);
}
double TotalMeasure(const ProgressFigures& figures) {
  return ByBytes(figures) ? static_cast<double>(figures.bytesTotal) : static_cast<double>(figures.total);
}

}  // namespace

uint32_t BarPosition(const ProgressFigures& figures) {
  const double total = TotalMeasure(figures);
  if (figures.counting || total <= 0) return 0;
  const double done = DoneMeasure(figures);
  if (done >= total) return kBarRange;
  return static_cast<uint32_t>(done * kBarRange / total);
}

std::string CountsText(const ProgressFigures& figures, const StringLoader& load) {
  if (figures.counting) return load(IDS_COUNTING);
  if (figures.items) return FillText(load(IDS_PROGRESS_ITEMS).c_str(), figures.done, figures.total);
  const std::string done = FormatByteSize(figures.bytesDone, load);
  const std::string total = FormatByteSize(figures.bytesTotal, load);
  return FillText(load(IDS_PROGRESS_FILES).c_str(), figures.done, figures.total, done.c_str(), total.c_str());
}

std::string RateText(const ProgressFigures& figures, const StringLoader& load) {
  if (figures.counting || figures.activeMs < kRateMinimumMs) return std::string();
  const double seconds = figures.activeMs / 1000.0;
  if (figures.items)
    return FillText(load(IDS_ITEM_RATE).c_str(), static_cast<unsigned>(std::lround(figures.done / seconds)));
  const uint64_t rate = static_cast<uint64_t>(static_cast<double>(figures.bytesDone) / seconds);
  return FillText(load(IDS_BYTE_RATE).c_str(), FormatByteSize(rate, load).c_str());
}

std::string TimeLeftText(const ProgressFigures& figures, const StringLoader& load) {
  if (figures.counting || figures.activeMs < kRateWarmupMs) return std::string();
  const double done = DoneMeasure(figures), total = TotalMeasure(figures);
  if (done <= 0 || done >= total) return std::string();
  const double secondsLeft = (total - done) * (figures.activeMs / 1000.0) / done;
  // Held inside what the text's number can say.
  const double minutes = std::fmin(std::fmax(std::ceil(secondsLeft / 60.0), 1.0), 4294967295.0);
  const unsigned shown = static_cast<unsigned>(minutes);
  if (shown == 1) return load(IDS_TIME_LEFT_ONE);
  return FillText(load(IDS_TIME_LEFT).c_str(), shown);
}
