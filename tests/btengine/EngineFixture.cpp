#include "tests/btengine/EngineFixture.h"

#include <algorithm>

namespace Tessar {
namespace Test {

VQEngineLibrary::VQEngineLibrary() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dll(path);
  dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"Tarnwick.dll";
  module_ = LoadLibraryW(dll.c_str());
  if (!module_) return;
  create_ = reinterpret_cast<CreateBTSessionFn>(reinterpret_cast<void*>(GetProcAddress(module_, "CreateBTSession")));
  delete_ = reinterpret_cast<DeleteBTSessionFn>(reinterpret_cast<void*>(GetProcAddress(module_, "DeleteBTSession")));
}

const VQEngineLibrary& EngineLibrary() {
  static VQEngineLibrary library;
  return library;
}

IBTSession* VQEngineLibrary::Create(uint16_t first, uint16_t last, const std::string& folderAnsi) const {
  return create_ ? create_(first, last, "0.0.0.0", folderAnsi.c_str()) : nullptr;
}

void VQRecordingCallback::Record(const std::string& what) {
  std::lock_guard<std::mutex> hold(lock_);
  if (closed_) ++late_;
  calls_.push_back(what);
  changed_.notify_all();
}

int VQRecordingCallback::LateCalls() const {
  std::lock_guard<std::mutex> hold(lock_);
  return late_;
}

int VQRecordingCallback::Count(const std::string& what) const {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<int>(std::count(calls_.begin(), calls_.end(), what));
}

std::vector<std::string> VQRecordingCallback::Calls() const {
  std::lock_guard<std::mutex> hold(lock_);
  return calls_;
}

bool VQRecordingCallback::WaitFor(const std::string& what, int times, unsigned timeoutMs) const {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] {
    return std::count(calls_.begin(), calls_.end(), what) >= times;
  });
}

}  // namespace Test
}  // namespace Tessar
