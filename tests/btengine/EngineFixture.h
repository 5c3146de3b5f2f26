// The engine library as the program meets it: Tarnwick.dll loaded at run
// time from the test program's folder, and a callback that records what
// the engine calls.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "btengine/BTEngine.h"

namespace Tessar {
namespace Test {

// Loaded once and kept until the process ends, as the program keeps it: the
// library's idle worker threads may outlive DeleteBTSession for a moment.
class VQEngineLibrary {
 public:
  VQEngineLibrary();
  bool Loaded() const { return create_ && delete_; }
  IBTSession* Create(uint16_t first, uint16_t last, const std::string& folderAnsi) const;
  void Delete(IBTSession* session) const { delete_(session); }

 private:
  HMODULE module_ = nullptr;
  CreateBTSessionFn create_ = nullptr;
  DeleteBTSessionFn delete_ = nullptr;
};

const VQEngineLibrary& EngineLibrary();

// A session that ends with the test.
class VQSessionHolder {
 public:
  VQSessionHolder(const VQEngineLibrary& library, IBTSession* session) : library_(library), session_(session) {}
  ~VQSessionHolder() { Reset(); }
  void Reset() {
    if (session_) library_.Delete(session_);
    session_ = nullptr;
  }
  IBTSession* operator->() const { return session_; }
  IBTSession* get() const { return session_; }

 private:
  const VQEngineLibrary& library_;
  IBTSession* session_;
};

class VQRecordingCallback : public ITaskCallback {
 public:
  void OnStopped() override { Record("stopped"); }
  void OnEvent(int32_t code) override { Record("event" + std::to_string(code)); }
  void OnValue(uint32_t a, uint32_t b) override { Record("value" + std::to_string(a) + ":" + std::to_string(b)); }
  void OnTimer() override {
    Record("timer");
    if (timerWork) timerWork();
  }

  // Calls arriving after Close count as late (they must never come).
  void Close() { closed_ = true; }
  int LateCalls() const;
  int Count(const std::string& what) const;
  std::vector<std::string> Calls() const;
  // Waits until what was called at least times; false on time-out.
  bool WaitFor(const std::string& what, int times, unsigned timeoutMs) const;

  std::function<void()> timerWork;  // runs inside OnTimer, on the engine's thread

 private:
  void Record(const std::string& what);

  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::vector<std::string> calls_;
  bool closed_ = false;
  int late_ = 0;
};


}  // namespace Test
}  // namespace Tessar
