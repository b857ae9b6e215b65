#pragma once

#include <cstdint>
#include <optional>

#include "options/option_data.h"

// What one tick of the main window's timer reads and sets off. The main window implements it
// over its controls and the two threads; tests implement it over a script.
class TickHost {
 public:
  virtual ~TickHost() = default;

  virtual bool IsSimReady() = 0;
  // Whether any download has begun since start.
  virtual bool HasDownloaded() = 0;
  virtual bool IsLoaderReady() = 0;
  // A split asked for or running: the texts are not yet lists.
  virtual bool IsLoaderBusy() = 0;
  virtual void GetPosition(double& latitude, double& longitude) = 0;
  virtual std::size_t StationCount() = 0;

  virtual void Download() = 0;
  virtual void Send() = 0;
  virtual void SetLoaderSleep(std::uint32_t ms) = 0;
  // Status field 0: "Update in %is".
  virtual void ShowCountdown(std::int32_t seconds) = 0;
  virtual void ShowNearest() = 0;
};

// The decisions of the timer tick, in their fixed order, with the three values that live from
// tick to tick: the download countdown, the reference position of the movement test and the
// display counter.
//
// Downloads, sends and boxes run inside a tick on the GUI thread, and the library dispatches timer
// events while they block; a tick that arrives then does nothing. A blocking step that does not
// come from a tick (a menu item, the update check) holds the tick off the same way.
class TimerTick {
 public:
  static constexpr std::int32_t kDisplayEveryTicks = 60;
  static constexpr std::uint32_t kLoaderSleepAfterSendMs = 5;
  static constexpr std::size_t kMinStationsForDisplay = 11;  // more than 10

  // Holds the tick off while it lives.
  class Hold {
   public:
    explicit Hold(TimerTick& tick) : tick_(tick) { ++tick_.holds_; }
    ~Hold() { --tick_.holds_; }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    TimerTick& tick_;
  };

  // One tick. intervalS: the timer's nominal interval in whole seconds (1), which the countdown
  // and the display counter lose per counted tick. The options are read afresh on every tick.
  void Run(TickHost& host, const OptionData& options, std::int32_t intervalS = 1);

  bool Held() const { return holds_ > 0; }
  std::int32_t Countdown() const { return countdownS_; }
  std::int32_t DisplayCounter() const { return displayCounter_; }

 private:
  void RunCounted(TickHost& host, const OptionData& options, std::int32_t intervalS);
  void TestMovement(TickHost& host, const OptionData& options);

  struct Position {
    double latitude;
    double longitude;
  };

  int holds_ = 0;
  bool started_ = false;
  std::int32_t countdownS_ = 0;
  std::int32_t displayCounter_ = kDisplayEveryTicks;
  std::optional<Position> reference_;
};

// Distance between two positions in nautical miles, as the movement test measures it.
double MovementNm(double latitude1, double longitude1, double latitude2, double longitude2);
