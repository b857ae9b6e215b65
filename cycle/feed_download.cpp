#include "cycle/feed_download.h"

#include <algorithm>
#include <limits>
#include <string>

#include "support/service_addresses.h"

namespace {

constexpr std::uint64_t kBytesPerKb = 1000;

const wxString kErrorCaption = wxS("ERROR");
const wxString kNoConnectionText = wxS("Couldn't connect to Weather Server");
const wxString kNoConnectionLog = wxS("Error: Couldn't connect to Weather Server");
const wxString kMetarCaption = wxS("Download Metar");

wxString Kb(std::uint64_t bytes) { return wxString::FromAscii(std::to_string(bytes / kBytesPerKb).c_str()); }

// One feed: its log line, then the download. False when it did not arrive whole.
bool FetchFeed(const FeedSource& source, const wxString& caption, FeedDownloadHost& host, const LogLine& log,
               wxString& text) {
  if (!source.Announce.empty()) log(source.Announce);
  return host.Fetch(source.Url, text, caption);
}

// The METAR text is what the step is for: an answer without a byte of it (a server that answers
// 2xx with an empty body) is a failed download like one that did not come. text starts empty.
bool FetchMetar(const FeedSource& source, FeedDownloadHost& host, const LogLine& log, wxString& text) {
  return FetchFeed(source, kMetarCaption, host, log, text) && !text.empty();
}

// The optional texts: a failure ends the step, with the log line before the box.
bool FetchOptional(const FeedSource& source, const wxString& caption, FeedDownloadHost& host,
                   const LogLine& log, wxString& text) {
  if (FetchFeed(source, caption, host, log, text)) return true;
  if (host.Stopped()) return false;
  log(kNoConnectionLog);
  host.ShowBox(kNoConnectionText, kErrorCaption);
  return false;
}

}  // namespace

FeedEndpoints DefaultFeedEndpoints() {
  return {services::UpdateHostUrl(), services::VatsimHostUrl(), services::NoaaFtpHostUrl()};
}

FeedSource ChooseMetarFeed(std::int32_t metarOption, const FeedEndpoints& endpoints) {
  switch (metarOption) {
    case kFeedVatsim:
      return {wxS("Main: Download VATSIM-Metar"), endpoints.UpdateHost + wxS("/metar_VATSIM.txt")};
    case kFeedIvao:
      return {wxS("Main: Download IVAO-Metar"),
              endpoints.NoaaFtpHost + wxS("/data/observations/metar/cycles/17Z.txt")};
    case kFeedNoaa:
    default:
      return {wxS("Main: Download NOAA-Metar"), endpoints.UpdateHost + wxS("/metar_NOAA.txt")};
  }
}

FeedSource VatsimFallbackFeed(const FeedEndpoints& endpoints) {
  return {wxString(), endpoints.VatsimHost + wxS("/data/metar.php?id=ALL")};
}

FeedSource UpperairFeed(const FeedEndpoints& endpoints) {
  return {wxS("Main: Download UpperAir"), endpoints.UpdateHost + wxS("/upperair.txt")};
}

FeedSource SynopFeed(const FeedEndpoints& endpoints) {
  return {wxS("Main: Download Synop"), endpoints.UpdateHost + wxS("/synop.txt")};
}

bool RunFeedDownload(const OptionData& options, const FeedEndpoints& endpoints, FeedDownloadHost& host,
                     const LogLine& log, DownloadedFeeds& feeds) {
  if (!FetchMetar(ChooseMetarFeed(options.Metar, endpoints), host, log, feeds.Metar)) {
    if (host.Stopped()) return false;
    host.ShowBox(wxS("Couldn't connect to Weather Server .\r\nConnection Timeout.\r\nTry connect to the "
                     "Vatsim-Server!"),
                 kErrorCaption);
    log(kNoConnectionLog);
    // A failed download leaves its text as it was, so the fallback starts from empty.
    feeds.Metar.clear();
    if (host.Stopped() || !FetchMetar(VatsimFallbackFeed(endpoints), host, log, feeds.Metar)) {
      if (host.Stopped()) return false;
      host.ShowBox(kNoConnectionText, kErrorCaption);
      return false;
    }
  } else {
    if (options.DwlUpperair &&
        !FetchOptional(UpperairFeed(endpoints), wxS("Download Upperair"), host, log, feeds.Upperair)) {
      return false;
    }
    if (options.DwlAddWeather &&
        !FetchOptional(SynopFeed(endpoints), wxS("Download Synop"), host, log, feeds.Synop)) {
      return false;
    }
  }
  log(wxS("InitWeather: Start WX-Splitter"));
  return true;
}

FeedProgressView ViewFeedProgress(const wxString& caption, std::uint64_t receivedBytes,
                                  std::uint64_t sizeBytes, bool sizeKnown) {
  FeedProgressView view;
  if (!sizeKnown || sizeBytes == 0) {
    view.Label = caption + wxS(" ") + Kb(receivedBytes) + wxS(" KB");
    view.Pulse = true;
    return view;
  }
  const std::uint64_t received = std::min(receivedBytes, sizeBytes);
  view.Label = caption + wxS(" ") + Kb(received) + wxS(" KB from ") + Kb(sizeBytes) + wxS(" KB");
  // The gauge holds an int: a size beyond it is shown in proportion.
  constexpr std::uint64_t kGaugeMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
  if (sizeBytes <= kGaugeMax) {
    view.Range = static_cast<int>(sizeBytes);
    view.Value = static_cast<int>(received);
  } else {
    view.Range = static_cast<int>(kGaugeMax);
    view.Value = static_cast<int>(static_cast<double>(received) / static_cast<double>(sizeBytes) *
                                  static_cast<double>(kGaugeMax));
    if (view.Value > view.Range) view.Value = view.Range;
  }
  return view;
}
