#include "cycle/timer_tick.h"

#include "options/option_limits.h"
#include "reports/geometry.h"

namespace {

constexpr std::int32_t kSecondsPerMinute = 60;

std::int32_t FullCountdownS(const OptionData& options) {
  return WeatherupdateMinutes(options) * kSecondsPerMinute;
}

}  // namespace

double MovementNm(double latitude1, double longitude1, double latitude2, double longitude2) {
  return KmToNauticalMiles(DistanceKm(latitude1, longitude1, latitude2, longitude2));
}

void TimerTick::Run(TickHost& host, const OptionData& options, std::int32_t intervalS) {
  if (Held()) return;
  Hold hold(*this);
  if (!started_) {
    started_ = true;
    countdownS_ = FullCountdownS(options);
  }
  if (!host.IsSimReady()) return;
  if (options.DwlStartup && !host.HasDownloaded()) host.Download();
  if (host.IsLoaderReady() && host.IsSimReady()) {
    host.Send();
    host.SetLoaderSleep(kLoaderSleepAfterSendMs);
    return;
  }
  if (host.IsLoaderBusy()) return;
  RunCounted(host, options, intervalS);
}

void TimerTick::RunCounted(TickHost& host, const OptionData& options, std::int32_t intervalS) {
  host.ShowCountdown(countdownS_);
  countdownS_ -= intervalS;
  // The display counter keeps falling while too few stations are loaded; it stops at the
  // bottom instead of wrapping after years of such ticks.
  if (displayCounter_ > INT32_MIN + intervalS) displayCounter_ -= intervalS;
  if (countdownS_ < 1) {
    countdownS_ = FullCountdownS(options);
    host.Download();
  }
  TestMovement(host, options);
  if (displayCounter_ < 1 && host.IsSimReady() && host.StationCount() >= kMinStationsForDisplay) {
    displayCounter_ = kDisplayEveryTicks;
    host.ShowNearest();
  }
}

void TimerTick::TestMovement(TickHost& host, const OptionData& options) {
  if (!reference_) {
    Position first{};
    host.GetPosition(first.latitude, first.longitude);
    reference_ = first;
  }
  Position now{};
  host.GetPosition(now.latitude, now.longitude);
  const double movedNm = MovementNm(reference_->latitude, reference_->longitude, now.latitude, now.longitude);
  if (static_cast<double>(RangeNm(options)) < movedNm) {
    Position moved{};
    host.GetPosition(moved.latitude, moved.longitude);
    reference_ = moved;
    host.Send();
  }
}
