#include "core/side_work.h"

#include <system_error>
#include <utility>

namespace pedprep {

SideWork::SideWork(std::function<void()> work, bool share) : work_(std::move(work)) {
  if (share && std::thread::hardware_concurrency() >= 2) {
    try {
      thread_ = std::thread([this] { Run(); });
      return;
    } catch (const std::system_error&) {
      // No thread to be had: the work is done here.
    }
  }
  Run();
}

SideWork::~SideWork() {
  if (thread_.joinable()) thread_.join();
}

void SideWork::Run() {
  try {
    work_();
  } catch (...) {
    fault_ = std::current_exception();
  }
}

void SideWork::Wait() {
  if (thread_.joinable()) thread_.join();
  if (fault_) std::rethrow_exception(std::exchange(fault_, nullptr));
}

}  // namespace pedprep
