// Work done beside the caller's own: on a thread of its own when two processors are there and
// a thread can be started, else at once, on the caller's thread, when it is started.
//
//   SideWork odd([&] { ... });   // reads what the caller only reads until Wait()
//   ... the caller's share ...
//   odd.Wait();                  // done; what the work threw is thrown here
//
// The destructor waits as well, so a throw on the caller's side never leaves the thread
// running or ends the program.
#ifndef PEDPREP_CORE_SIDE_WORK_H_
#define PEDPREP_CORE_SIDE_WORK_H_

#include <exception>
#include <functional>
#include <thread>

namespace pedprep {

class SideWork {
 public:
  // `share`: whether a thread is worth it (enough work); without it `work` is done at once.
  explicit SideWork(std::function<void()> work, bool share = true);
  SideWork(const SideWork&) = delete;
  SideWork& operator=(const SideWork&) = delete;
  ~SideWork();

  // Whether the work runs on a thread of its own (false: it was done in the constructor).
  bool beside() const { return thread_.joinable(); }

  // Returns when the work is done; throws what it threw.
  void Wait();

 private:
  void Run();

  std::function<void()> work_;
  std::exception_ptr fault_;
  std::thread thread_;
};

}  // namespace pedprep

#endif  // PEDPREP_CORE_SIDE_WORK_H_
