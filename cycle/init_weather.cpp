#include "cycle/init_weather.h"

#include <wx/event.h>

#include "base/thread_join.h"
#include "platform/test_knobs.h"

namespace {

constexpr std::uint32_t kIdleWaitMs = 100;
// A few progress updates a second are all a person can read.
constexpr std::chrono::milliseconds kProgressInterval{200};

std::chrono::microseconds Scaled(std::uint32_t ms) { return std::chrono::microseconds(ScaledMicros(ms)); }

}  // namespace

// Turns the split's reports into the progress snapshot and the pauses of the thread.
class InitWeather::Reporter : public SplitReporter {
 public:
  explicit Reporter(InitWeather& loader)
      : loader_(loader), publisher_(loader.ProgressBox, loader.Sink, kProgressInterval) {}

  void Preparing() override {
    publisher_.Current().Label = wxS("Prepare Weather station. Please wait!");
    publisher_.Offer(true);
  }
  void Counted(SplitStep, int count) override {
    LoaderProgress& now = publisher_.Current();
    now.GaugeRange = count;
    now.GaugeValue = 0;
    now.GaugeHidden = false;
    publisher_.Offer(true);
  }
  void Item(SplitStep step, int number, int count, int errors) override {
    step_ = step;
    number_ = number;
    count_ = count;
    errors_ = errors;
    pendingItem_ = true;
    // The first item of a step shows at once, the others a few times a second.
    if (number == 1 || publisher_.Due()) FlushItem(number == 1);
  }
  bool AfterItem() override { return loader_.Protocol.Pause(Scaled(loader_.SleepMs.load())) && KeepGoing(); }
  bool KeepGoing() override {
    return !loader_.Protocol.Stopped() && !loader_.TestDestroy() && !loader_.Protocol.Abandoned();
  }
  void Counts(const wxString& counts) override {
    FlushItem(true);
    publisher_.Current().Counts = counts;
    publisher_.Offer(true);
  }
  void AirportsMissing(const wxString& problem) override {
    if (!problem.empty()) {
      auto* line = new wxThreadEvent(EVT_LOADER_LOG);
      line->SetString(wxS("Error: ") + problem);  // the event deep-copies its string
      wxQueueEvent(loader_.Sink, line);
    }
    auto* event = new wxThreadEvent(EVT_LOADER_MESSAGE);
    event->SetString(wxS("Can not open airport.dat"));
    wxQueueEvent(loader_.Sink, event);
  }

  // The split is over: the gauge goes, the label says so.
  void Finished() {
    LoaderProgress& now = publisher_.Current();
    now.GaugeHidden = true;
    now.Label = wxS("Ready");
    publisher_.Offer(true);
  }

 private:
  // The label is built only for the items that are shown.
  void FlushItem(bool force) {
    if (!pendingItem_) return;
    pendingItem_ = false;
    LoaderProgress& now = publisher_.Current();
    now.Label = SplitItemLabel(step_, number_, count_, errors_);
    now.GaugeValue = number_;
    publisher_.Offer(force);
  }

  InitWeather& loader_;
  ProgressPublisher publisher_;
  SplitStep step_ = SplitStep::kMetar;
  int number_ = 0;
  int count_ = 0;
  int errors_ = 0;
  bool pendingItem_ = false;
};

InitWeather::InitWeather(wxEvtHandler* sink, const wxString& stationPath, const wxString& airportPath)
    : wxThread(wxTHREAD_JOINABLE),
      Sink(sink),
      UpperairStations(std::make_unique<Upperair>(stationPath)),
      SynopStations(std::make_unique<ClSynop>(stationPath)),
      Split(*UpperairStations, *SynopStations, airportPath) {}

InitWeather::~InitWeather() = default;

wxThreadError InitWeather::Delete(ExitCode* rc, wxThreadWait waitMode) {
  AskToStop();
  return DeleteJoined(*this, rc, waitMode);
}

wxThread::ExitCode InitWeather::Entry() {
  Reporter reporter(*this);
  while (!TestDestroy() && !Protocol.Stopped()) {
    FeedTexts texts;
    if (!Protocol.AcceptRequest(texts, Scaled(kIdleWaitMs))) continue;
    LoadedLists lists;
    const bool whole = Split.Run(texts, lists, reporter);
    if (Protocol.Stopped() || TestDestroy()) break;  // asked to stop between two items
    if (!whole || Protocol.Abandoned()) {
      Protocol.Publish(LoadedLists());  // a download has made this split stale: nothing to show
      continue;
    }
    reporter.Finished();
    Protocol.Publish(std::move(lists));
    wxQueueEvent(Sink, new wxThreadEvent(EVT_LOADER_LISTS));
  }
  return static_cast<ExitCode>(0);
}
