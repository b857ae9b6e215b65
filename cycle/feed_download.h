#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>

#include "cycle/cycle_log.h"
#include "options/option_data.h"
#include "support/download.h"

// The download step of an update cycle: the METAR feed the options choose (with one fallback to
// the VATSIM network's service; an empty METAR text fails as a download that did not come), then
// the upper-air and SYNOP texts when they are enabled (an empty one of them is no failure). The
// step only fetches, logs and says what the user must be told; the main window empties its lists
// before and hands the texts to the loader after.

// Where the feeds live: scheme, host and port without a closing slash.
struct FeedEndpoints {
  wxString UpdateHost;   // mirror files over HTTP
  wxString VatsimHost;   // the VATSIM network's METAR service, HTTP
  wxString NoaaFtpHost;  // the NOAA file server, FTP
};

// The endpoints as support/service_addresses.h gives them (environment overrides included).
FeedEndpoints DefaultFeedEndpoints();

// One feed of the step: what is logged before it and where it is read.
struct FeedSource {
  wxString Announce;  // logged before the download; empty for the fallback, which logs nothing
  wxString Url;
};

// The METAR feed of "/General/Metar": kFeedVatsim the VATSIM mirror, kFeedIvao NOAA's cycle file
// over FTP, kFeedNoaa or any other value the NOAA mirror.
FeedSource ChooseMetarFeed(std::int32_t metarOption, const FeedEndpoints& endpoints);
FeedSource VatsimFallbackFeed(const FeedEndpoints& endpoints);
FeedSource UpperairFeed(const FeedEndpoints& endpoints);
FeedSource SynopFeed(const FeedEndpoints& endpoints);

// What the step needs from outside: one whole download (true only for a complete resource; the
// text is appended to) and the message box.
class FeedDownloadHost {
 public:
  virtual ~FeedDownloadHost() = default;
  virtual bool Fetch(const wxString& url, wxString& text, const wxString& caption) = 0;
  virtual void ShowBox(const wxString& text, const wxString& caption) = 0;
  // True once the step is to end as it stands (the program is closing): no box, no other feed.
  virtual bool Stopped() { return false; }
};

struct DownloadedFeeds {
  wxString Metar;
  wxString Upperair;
  wxString Synop;
};

// Runs the step into feeds (which start empty). True when the texts are to be split; false when
// the step ended early (its box has been shown).
bool RunFeedDownload(const OptionData& options, const FeedEndpoints& endpoints, FeedDownloadHost& host,
                     const LogLine& log, DownloadedFeeds& feeds);

// What the progress label and gauge show of one download. The gauge's value never passes its
// range: without a known size (an FTP transfer, an HTTP answer without a length) the gauge
// pulses and the label gives the amount alone.
struct FeedProgressView {
  wxString Label;  // "%s %i KB from %i KB", or "%s %i KB" without a size; 1 KB is 1000 bytes
  int Range = 0;
  int Value = 0;
  bool Pulse = false;
};

FeedProgressView ViewFeedProgress(const wxString& caption, std::uint64_t receivedBytes,
                                  std::uint64_t sizeBytes, bool sizeKnown);

// Each wait of a feed download may last 15 s, the whole download two minutes; no feed is larger
// than 16 MB (a NOAA cycle file holds about 1 MB).
inline const DownloadLimits kFeedDownloadLimits{std::chrono::seconds(15), std::chrono::seconds(120),
                                                std::uint64_t{16} << 20};

inline const wxString kConnectingLabel = wxS("Connecting to weatherserver....");
