// The link's walk over the shared area after the other side has answered, whatever it wrote:
// the input queues some reads and writes as the link does, then overwrites bytes of the area as a
// faulty or hostile module might (ids, sizes, offsets, the end mark), and the walk hands the
// answers to the reads. Every destination is exactly as large as its read.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "simlink/ipc_area.h"

namespace {

constexpr int kMostRequests = 40;
constexpr std::uint32_t kMostRequestBytes = 1100;
constexpr std::size_t kMostPatchBytes = 16;
constexpr std::uint32_t kRoomHeaderBytes = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<std::uint8_t> area(kFsuipcAreaBytes);
  std::vector<std::unique_ptr<std::uint8_t[]>> destinations;
  std::vector<PendingRead> reads;
  std::uint32_t at = 0;
  const int requests = input.ConsumeIntegralInRange(0, kMostRequests);
  for (int i = 0; i < requests; ++i) {
    const bool read = input.ConsumeBool();
    const std::uint32_t bytes = input.ConsumeIntegralInRange<std::uint32_t>(0, kMostRequestBytes);
    const std::uint32_t offset = input.ConsumeIntegral<std::uint32_t>();
    if (std::uint64_t{at} + bytes + kRoomHeaderBytes > kFsuipcQueueLimitBytes) break;
    if (read) {
      destinations.emplace_back(bytes != 0 ? new std::uint8_t[bytes] : nullptr);
      reads.push_back({destinations.back().get(), bytes, at});
      at = QueueRead(area.data(), at, offset, bytes, static_cast<std::uint32_t>(reads.size()));
    } else {
      at = QueueWrite(area.data(), at, offset, bytes, nullptr);
    }
  }
  QueueEnd(area.data(), at);

  while (input.remaining_bytes() > 0) {
    const std::uint32_t where = input.ConsumeIntegralInRange<std::uint32_t>(0, kFsuipcAreaBytes - 1);
    const std::vector<std::uint8_t> patch = input.ConsumeBytes<std::uint8_t>(kMostPatchBytes);
    for (std::size_t i = 0; i < patch.size() && where + i < area.size(); ++i) area[where + i] = patch[i];
  }
  DeliverAnswers(area.data(), reads.data(), reads.size());
  return 0;
}
