#pragma once
// The process list model: one element per running process, read from a
// tool-help snapshot and completed with what an open handle can tell.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"

namespace process {

struct TProcess {
  platform::Handle Handle = platform::kNoHandle;  // open while the list is filled
  std::string Name;
  std::string Path;
  std::uint32_t ProcessID = 0;
  std::int32_t BasePriority = 0;
  std::uint32_t ParentProcessID = 0;
  std::uint32_t PageFaultCount = 0;
  std::uint32_t PeakWorkingSetSize = 0;
  std::uint32_t WorkingSetSize = 0;
};

// An ordered list of processes. The elements' handles are released with
// ReleaseProcessList; a list destroyed with handles still open closes them
// itself, so a refresh that throws half-way does not leak them. Move-only: a
// copy would close each handle twice.
class TProcessList {
 public:
  TProcessList() = default;
  ~TProcessList();
  TProcessList(const TProcessList&) = delete;
  TProcessList& operator=(const TProcessList&) = delete;
  TProcessList(TProcessList&& other) noexcept;
  TProcessList& operator=(TProcessList&& other) noexcept;

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  TProcess& operator[](std::size_t index) { return items_.at(index); }
  const TProcess& operator[](std::size_t index) const { return items_.at(index); }
  // Appends an element and returns it; a new element is all zeros and empty
  // strings unless given.
  TProcess& Add(TProcess process = TProcess{});
  // Forgets every element without closing its handle.
  void Clear() { items_.clear(); }

  // The system the elements' handles come from; the destructor closes
  // leftovers through it.
  void SetOs(platform::Os& os) { os_ = &os; }

  std::vector<TProcess>::iterator begin() { return items_.begin(); }
  std::vector<TProcess>::iterator end() { return items_.end(); }
  std::vector<TProcess>::const_iterator begin() const { return items_.begin(); }
  std::vector<TProcess>::const_iterator end() const { return items_.end(); }

 private:
  void CloseLeftovers();

  platform::Os* os_ = nullptr;
  std::vector<TProcess> items_;
};

// Empties the list (without closing: release it first), lists the running
// processes from a snapshot and reads their details. Without a snapshot the
// list stays empty.
void FillProcessList(platform::Os& os, TProcessList& list);

// Opens each listed process, full access first and query access second, and
// reads its path and memory counters. An element that cannot be opened keeps
// a zero handle, an empty path and zero counters; one whose path or counters
// cannot be read keeps its handle with an empty path or zero counters.
// Details and handles left from an earlier pass are dropped first.
void ReadProcessDetails(platform::Os& os, TProcessList& list);

// Closes every element's handle once, first element first, and empties the
// list.
void ReleaseProcessList(platform::Os& os, TProcessList& list);

// A module path as the report shows it. A path with a drive (C:...) or a
// network prefix (two backslashes) stays whole; any other form, such as the
// NT forms \SystemRoot\... and \??\C:\..., keeps only what follows its
// last backslash or colon.
std::string ReducePath(const std::string& path);

// The name of a base priority. Values with no name of their own show as
// their number, so nothing is hidden.
std::string BasePriorityText(std::int32_t priority);

// The path buffer of one ReadProcessDetails pass, in bytes.
constexpr std::uint32_t kProcessPathBufferSize = 1024;

}  // namespace process
