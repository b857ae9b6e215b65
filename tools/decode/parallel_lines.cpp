#include "parallel_lines.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "input_lines.h"

namespace {

constexpr std::size_t kLinesPerBlock = 2048;
constexpr unsigned kMostWorkers = 8;
constexpr std::size_t kBlocksInFlightPerWorker = 2;

// The blocks between the workers and the writer: a worker takes the next block once its slot
// has been written out, the writer writes block after block as they are done.
class BlockRing {
 public:
  BlockRing(std::size_t blocks, std::size_t slots) : blocks_(blocks), slots_(slots), done_(slots, false) {}

  // The next block for a worker, or false when every block is taken. Waits until its slot is free.
  bool Take(std::size_t* block) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (next_ == blocks_) return false;
    *block = next_++;
    slotFree_.wait(lock, [&] { return *block < written_ + slots_.size(); });
    return true;
  }
  JsonBuffer& Slot(std::size_t block) { return slots_[block % slots_.size()]; }
  void Done(std::size_t block) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_[block % slots_.size()] = true;
    }
    blockDone_.notify_all();
  }
  // Writer side: waits for the block, lets the caller write it, then frees its slot.
  template <typename Write>
  void WriteNext(Write write) {
    const std::size_t block = written_;
    JsonBuffer& slot = Slot(block);
    {
      std::unique_lock<std::mutex> lock(mutex_);
      blockDone_.wait(lock, [&] { return done_[block % slots_.size()]; });
    }
    write(slot);
    slot.Clear();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_[block % slots_.size()] = false;
      ++written_;
    }
    slotFree_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable slotFree_;
  std::condition_variable blockDone_;
  const std::size_t blocks_;
  std::size_t next_ = 0;
  std::size_t written_ = 0;  // read by the writer without the lock: only the writer changes it
  std::vector<JsonBuffer> slots_;
  std::vector<bool> done_;
};

void WriteBuffer(std::ostream& out, const JsonBuffer& json) {
  out.write(json.Data(), static_cast<std::streamsize>(json.Size()));
}

}  // namespace

std::vector<LineRange> FilledLines(const std::string& bytes) {
  std::vector<LineRange> lines;
  ForEachFilledLine(bytes, [&](const char* begin, std::size_t length) { lines.push_back({begin, length}); });
  return lines;
}

void WriteLinesInOrder(const std::vector<LineRange>& lines, const std::function<LineWriter()>& make,
                       std::ostream& out) {
  const std::size_t blocks = (lines.size() + kLinesPerBlock - 1) / kLinesPerBlock;
  const unsigned workers = static_cast<unsigned>(
      std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), kMostWorkers, blocks}));
  if (workers <= 1) {
    const LineWriter writer = make();
    JsonBuffer json;
    for (const LineRange& line : lines) writer(line, json);
    WriteBuffer(out, json);
    return;
  }
  BlockRing ring(blocks, workers * kBlocksInFlightPerWorker);
  std::vector<std::thread> threads;
  for (unsigned i = 0; i < workers; ++i) {
    threads.emplace_back([&] {
      const LineWriter writer = make();
      std::size_t block = 0;
      while (ring.Take(&block)) {
        JsonBuffer& json = ring.Slot(block);
        const std::size_t end = std::min(lines.size(), (block + 1) * kLinesPerBlock);
        for (std::size_t i = block * kLinesPerBlock; i < end; ++i) writer(lines[i], json);
        ring.Done(block);
      }
    });
  }
  for (std::size_t block = 0; block < blocks; ++block)
    ring.WriteNext([&](const JsonBuffer& json) { WriteBuffer(out, json); });
  for (std::thread& thread : threads) thread.join();
}
