#include "base/thread_join.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Every error the library reports while the test runs.
class ErrorCount : public wxLog {
 public:
  ErrorCount() : previous_(wxLog::SetActiveTarget(this)) {}
  ~ErrorCount() override { wxLog::SetActiveTarget(previous_); }
  int errors = 0;

 protected:
  void DoLogRecord(wxLogLevel level, const wxString&, const wxLogRecordInfo&) override {
    if (level <= wxLOG_Error) ++errors;
  }

 private:
  wxLog* previous_;
};

class Worker : public wxThread {
 public:
  explicit Worker(bool endsAtOnce) : wxThread(wxTHREAD_JOINABLE), endsAtOnce_(endsAtOnce) {}
  std::atomic<bool> started{false};
  std::atomic<bool> ended{false};

 protected:
  ExitCode Entry() override {
    started = true;
    while (!endsAtOnce_ && !TestDestroy()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ended = true;
    return reinterpret_cast<ExitCode>(7);
  }

 private:
  const bool endsAtOnce_;
};

// Whether the thread ended on its own long before or runs until asked, it is joined once, with
// its exit code, and the library reports nothing.
TEST(DeleteJoined, JoinsOnceWhetherTheThreadEndedOrWasRunning) {
  for (const bool endsAtOnce : {true, false}) {
    SCOPED_TRACE(endsAtOnce ? "ended on its own" : "running");
    ErrorCount log;
    Worker worker(endsAtOnce);
    ASSERT_EQ(worker.Run(), wxTHREAD_NO_ERROR);
    while (!worker.started || (endsAtOnce && !worker.ended)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (endsAtOnce) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    wxThread::ExitCode code = nullptr;
    EXPECT_EQ(DeleteJoined(worker, &code, wxTHREAD_WAIT_BLOCK), wxTHREAD_NO_ERROR);
    EXPECT_TRUE(worker.ended);
    EXPECT_EQ(code, reinterpret_cast<wxThread::ExitCode>(7));
    wxLog::FlushActive();
    EXPECT_EQ(log.errors, 0);
  }
}

}  // namespace
