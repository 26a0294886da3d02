#pragma once

// A simulation's render thread: where the host draws its settings windows
// (and so runs plug-ins' settings pages) and takes its pictures, at the same
// time as the game thread runs ticks, hooks, timers and tasks, as in a game.
// One thread draws every client's window: the host's copy of Dear ImGui keeps
// one current context for the whole process, as a game process has one render
// thread.
//
// The thread runs two kinds of work. A job is handed to it by another thread,
// which waits until the job has run (a script's "sim click" is one), so that
// scripts stay deterministic. Between jobs, while free-running, it draws a
// frame on its own as often as asked, as a game's render thread does.
//
// In a build without threads (WebAssembly) the render side runs on the one
// thread: a job runs at once, and a free-running frame is drawn after each
// tick (the simulation calls DrawFreeFrameNow).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define CORVANE_SIM_THREADS 0
#else
#define CORVANE_SIM_THREADS 1
#endif

namespace sim {

class RenderThread {
 public:
  RenderThread();
  // Runs the jobs handed over before, then ends the thread.
  ~RenderThread();
  RenderThread(const RenderThread&) = delete;
  RenderThread& operator=(const RenderThread&) = delete;

  // Runs job on the render thread and returns once it has run; what it throws
  // is thrown here. On the render thread itself the job runs at once.
  void Run(const std::function<void()>& job);

  // While a frame is set, the thread draws it whenever no job waits, at most
  // framesPerSecond times a second (0: one after another). An empty frame
  // stops free-running.
  void FreeRun(std::function<void()> frame, double framesPerSecond);
  bool FreeRunning() const;
  // Without threads: draws the free-running frame now, if there is one.
  void DrawFreeFrameNow();
  // Free-running frames drawn so far.
  uint64_t FreeFramesDrawn() const { return freeFrames.load(std::memory_order_relaxed); }

 private:
  struct Job {
    const std::function<void()>* work = nullptr;
    bool done = false;
    std::exception_ptr error;
  };

  void Loop();
  static void RunJob(Job& job);
  void DrawFrame(const std::function<void()>& frame);

  mutable std::mutex mutex;
  std::condition_variable wake;     // a job, a new frame or the end
  std::condition_variable jobDone;  // a job has run
  std::deque<Job*> jobs;
  std::function<void()> freeFrame;  // while free-running
  std::chrono::steady_clock::duration frameInterval{};
  bool ending = false;
  std::atomic<uint64_t> freeFrames{0};
#if CORVANE_SIM_THREADS
  std::thread thread;
#endif
};

}  // namespace sim
