// Named mappings as POSIX shared memory. The object's name carries a hash of the runtime
// directory, so isolated runs never meet. Only the handle that created an object removes its
// name again; a handle that found the object existing (183) or opened it leaves it to its owner.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/test_knobs.h"
#include "platform/win_ipc.h"
#include "runtime_dir.h"

namespace {

struct MappingObject {
  int fd = -1;
  std::string shmName;
  bool created = false;
};

struct MappingTables {
  std::mutex lock;
  std::set<MappingObject*> handles;
  std::map<const void*, std::size_t> views;  // start -> length
};

MappingTables& Tables() {
  static MappingTables tables;
  return tables;
}

std::string ShmName(const char* name) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "/nubivane-%08X-", StableHash(IpcRuntimeDir()));
  std::string shm = prefix;
  for (const char* c = name; *c != '\0'; ++c) shm += (*c == '/') ? '_' : *c;
  return shm;
}

WinHandle Register(int fd, const std::string& shmName, bool created) {
  auto* object = new MappingObject{fd, shmName, created};
  MappingTables& tables = Tables();
  std::lock_guard<std::mutex> guard(tables.lock);
  tables.handles.insert(object);
  return object;
}

MappingObject* Lookup(WinHandle handle) {
  MappingTables& tables = Tables();
  std::lock_guard<std::mutex> guard(tables.lock);
  auto* object = static_cast<MappingObject*>(handle);
  return tables.handles.count(object) != 0 ? object : nullptr;
}

bool ValidName(const char* name) { return name != nullptr && *name != '\0' && std::strlen(name) < 200; }

}  // namespace

WinHandle CreateFileMappingA(WinHandle file, void* /*security*/, WinDword protect, WinDword sizeHigh,
                             WinDword sizeLow, const char* name) {
  if (file != kWinInvalidHandle || protect != kWinPageReadWrite || sizeHigh != 0 || sizeLow == 0 ||
      !ValidName(name)) {
    SetLastError(kWinErrorInvalidParameter);
    return nullptr;
  }
  const std::string shmName = ShmName(name);
  int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) {
    fd = ::shm_open(shmName.c_str(), O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
      SetLastError(kWinErrorInvalidParameter);
      return nullptr;
    }
    WinHandle existing = Register(fd, shmName, false);
    SetLastError(kWinErrorAlreadyExists);
    return existing;
  }
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(sizeLow)) != 0) {
    if (fd >= 0) {
      ::close(fd);
      ::shm_unlink(shmName.c_str());
    }
    SetLastError(kWinErrorNotEnoughMemory);
    return nullptr;
  }
  WinHandle handle = Register(fd, shmName, true);
  SetLastError(0);
  return handle;
}

WinHandle OpenFileMappingA(WinDword /*access*/, bool /*inherit*/, const char* name) {
  if (!ValidName(name)) {
    SetLastError(kWinErrorInvalidParameter);
    return nullptr;
  }
  const std::string shmName = ShmName(name);
  const int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastError(kWinErrorFileNotFound);
    return nullptr;
  }
  return Register(fd, shmName, false);
}

void* MapViewOfFile(WinHandle mapping, WinDword /*access*/, WinDword offsetHigh, WinDword offsetLow,
                    std::size_t bytes) {
  MappingObject* object = Lookup(mapping);
  if (object == nullptr || offsetHigh != 0 || offsetLow != 0 ||
      PlatformFaultActive(PlatformFault::kMapView)) {
    SetLastError(kWinErrorNotEnoughMemory);
    return nullptr;
  }
  // A view larger than the object fails, as on Windows, so no one touches pages past its end.
  struct stat info {};
  if (::fstat(object->fd, &info) != 0 || info.st_size <= 0 ||
      bytes > static_cast<std::size_t>(info.st_size)) {
    SetLastError(kWinErrorInvalidParameter);
    return nullptr;
  }
  const std::size_t length = bytes == 0 ? static_cast<std::size_t>(info.st_size) : bytes;
  void* view = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, object->fd, 0);
  if (view == MAP_FAILED) {
    SetLastError(kWinErrorNotEnoughMemory);
    return nullptr;
  }
  MappingTables& tables = Tables();
  std::lock_guard<std::mutex> guard(tables.lock);
  tables.views[view] = length;
  return view;
}

bool UnmapViewOfFile(const void* view) {
  MappingTables& tables = Tables();
  std::lock_guard<std::mutex> guard(tables.lock);
  const auto it = tables.views.find(view);
  if (it == tables.views.end()) return false;
  ::munmap(const_cast<void*>(view), it->second);
  tables.views.erase(it);
  return true;
}

bool CloseHandle(WinHandle handle) {
  MappingObject* object = nullptr;
  {
    MappingTables& tables = Tables();
    std::lock_guard<std::mutex> guard(tables.lock);
    object = static_cast<MappingObject*>(handle);
    if (tables.handles.erase(object) == 0) return false;
  }
  ::close(object->fd);
  if (object->created) ::shm_unlink(object->shmName.c_str());
  delete object;
  return true;
}
