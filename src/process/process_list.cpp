#include "process/process_list.h"

#include <algorithm>
#include <utility>

#include "platform/handles.h"

namespace process {

namespace {

// The text of a fixed-size field up to its first NUL, never past its end.
std::string FieldText(const char* field, std::size_t size) {
  return std::string(field, std::find(field, field + size, '\0'));
}

void CloseElementHandle(platform::Os& os, TProcess& p) {
  if (p.Handle != platform::kNoHandle) os.CloseHandle(std::exchange(p.Handle, platform::kNoHandle));
}

void ForgetDetails(TProcess& p) {
  p.Path.clear();
  p.PageFaultCount = 0;
  p.PeakWorkingSetSize = 0;
  p.WorkingSetSize = 0;
}

}  // namespace

TProcessList::~TProcessList() { CloseLeftovers(); }

TProcessList::TProcessList(TProcessList&& other) noexcept
    : os_(other.os_), items_(std::move(other.items_)) {
  other.items_.clear();
}

TProcessList& TProcessList::operator=(TProcessList&& other) noexcept {
  if (this != &other) {
    CloseLeftovers();
    os_ = other.os_;
    items_ = std::move(other.items_);
    other.items_.clear();
  }
  return *this;
}

TProcess& TProcessList::Add(TProcess process) {
  items_.push_back(std::move(process));
  return items_.back();
}

void TProcessList::CloseLeftovers() {
  if (os_ == nullptr) return;
  for (TProcess& p : items_) CloseElementHandle(*os_, p);
}

void FillProcessList(platform::Os& os, TProcessList& list) {
  list.Clear();
  {
    platform::UniqueHandle snapshot(os,
                                    os.CreateToolhelp32Snapshot(platform::kTh32csSnapProcess, 0));
    if (snapshot) {
      platform::ProcessEntry32 entry;
      entry.dwSize = sizeof(platform::ProcessEntry32);
      for (bool more = os.Process32First(snapshot.Get(), &entry); more;
           more = os.Process32Next(snapshot.Get(), &entry)) {
        TProcess& p = list.Add();
        p.ProcessID = entry.th32ProcessID;
        p.Name = FieldText(entry.szExeFile, sizeof entry.szExeFile);
        p.BasePriority = entry.pcPriClassBase;
        p.ParentProcessID = entry.th32ParentProcessID;
      }
    }
  }
  ReadProcessDetails(os, list);
}

void ReadProcessDetails(platform::Os& os, TProcessList& list) {
  list.SetOs(os);
  std::vector<char> path(kProcessPathBufferSize);
  for (TProcess& p : list) {
    CloseElementHandle(os, p);
    ForgetDetails(p);
    p.Handle = os.OpenProcess(platform::kProcessAllAccess, false, p.ProcessID);
    if (p.Handle == platform::kNoHandle) {
      // Processes of other users and services refuse full access but still
      // answer queries.
      p.Handle = os.OpenProcess(platform::kProcessQueryInformation | platform::kProcessVmRead,
                                false, p.ProcessID);
    }
    if (p.Handle == platform::kNoHandle) continue;

    std::fill(path.begin(), path.end(), '\0');
    os.GetModuleFileNameExA(p.Handle, platform::kNoHandle, path.data(), kProcessPathBufferSize);
    if (path[0] == '\0') {
      // The process-status call reads the target's own memory, which can
      // fail where the system could still name the image (a process that is
      // starting, or a host that cannot lend memory across processes).
      std::uint32_t size = kProcessPathBufferSize;
      std::fill(path.begin(), path.end(), '\0');
      if (!os.QueryFullProcessImageNameA(p.Handle, 0, path.data(), &size)) {
        std::fill(path.begin(), path.end(), '\0');
      }
    }
    p.Path = ReducePath(FieldText(path.data(), path.size()));

    platform::ProcessMemoryCounters counters;
    if (os.GetProcessMemoryInfo(p.Handle, &counters, sizeof counters)) {
      p.WorkingSetSize = counters.WorkingSetSize;
      p.PeakWorkingSetSize = counters.PeakWorkingSetSize;
      p.PageFaultCount = counters.PageFaultCount;
    }
  }
}

void ReleaseProcessList(platform::Os& os, TProcessList& list) {
  for (TProcess& p : list) CloseElementHandle(os, p);
  list.Clear();
}

std::string ReducePath(const std::string& path) {
  const bool hasDrive =
      path.size() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'));
  if (hasDrive) return path;
  const std::size_t last = path.find_last_of("\\:");
  if (last == std::string::npos) return path;
  return path.substr(last + 1);
}

std::string BasePriorityText(std::int32_t priority) {
  if (priority == 0) return "Vacant";
  if (priority >= 1 && priority <= 6) return "Low";
  if (priority == 10) return "High";
  // 7 sits between the idle and normal class bases: shown with the normal ones.
  if (priority >= 7 && priority <= 11) return "Standard";
  if (priority == 12 || priority == 13) return "Very high";
  // 16..31 are the real-time class and its thread levels (24 is its base).
  if (priority >= 14 && priority <= 31) return "Real-time";
  return std::to_string(priority);
}

}  // namespace process
