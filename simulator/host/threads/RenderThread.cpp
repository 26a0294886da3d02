#include "host/threads/RenderThread.h"

#include <iostream>

namespace sim {

#if CORVANE_SIM_THREADS

RenderThread::RenderThread() : thread([this] { Loop(); }) {}

RenderThread::~RenderThread() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    ending = true;
  }
  wake.notify_all();
  thread.join();
}

void RenderThread::Run(const std::function<void()>& job) {
  Job handed;
  handed.work = &job;
  if (std::this_thread::get_id() == thread.get_id()) {
    RunJob(handed);
  } else {
    std::unique_lock<std::mutex> lock(mutex);
    jobs.push_back(&handed);
    wake.notify_all();
    jobDone.wait(lock, [&] { return handed.done; });
  }
  if (handed.error) std::rethrow_exception(handed.error);
}

void RenderThread::FreeRun(std::function<void()> frame, double framesPerSecond) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    freeFrame = std::move(frame);
    frameInterval = framesPerSecond > 0 ? std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                              std::chrono::duration<double>(1.0 / framesPerSecond))
                                        : std::chrono::steady_clock::duration::zero();
  }
  wake.notify_all();
}

void RenderThread::DrawFreeFrameNow() {}

// Jobs come first; a free-running frame is drawn when none waits and its time
// has come.
void RenderThread::Loop() {
  std::unique_lock<std::mutex> lock(mutex);
  auto nextFrame = std::chrono::steady_clock::now();
  for (;;) {
    if (!jobs.empty()) {
      Job* job = jobs.front();
      jobs.pop_front();
      lock.unlock();
      RunJob(*job);
      lock.lock();
      job->done = true;
      jobDone.notify_all();
      continue;
    }
    if (ending) return;
    if (!freeFrame) {
      wake.wait(lock);
      continue;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < nextFrame) {
      wake.wait_until(lock, nextFrame);
      continue;
    }
    const std::function<void()> frame = freeFrame;
    nextFrame = now + frameInterval;
    lock.unlock();
    DrawFrame(frame);
    lock.lock();
  }
}

#else  // without threads: the render side runs on the caller's thread

RenderThread::RenderThread() = default;
RenderThread::~RenderThread() = default;

void RenderThread::Run(const std::function<void()>& job) {
  Job handed;
  handed.work = &job;
  RunJob(handed);
  if (handed.error) std::rethrow_exception(handed.error);
}

void RenderThread::FreeRun(std::function<void()> frame, double /*framesPerSecond*/) {
  freeFrame = std::move(frame);
}

void RenderThread::DrawFreeFrameNow() {
  if (freeFrame) DrawFrame(freeFrame);
}

#endif

bool RenderThread::FreeRunning() const {
  std::lock_guard<std::mutex> lock(mutex);
  return static_cast<bool>(freeFrame);
}

void RenderThread::RunJob(Job& job) {
  try {
    (*job.work)();
  } catch (...) {
    job.error = std::current_exception();
  }
}

// A free-running frame has no one waiting for it: what it throws is reported here.
void RenderThread::DrawFrame(const std::function<void()>& frame) {
  ++freeFrames;
  try {
    frame();
  } catch (const std::exception& error) {
    std::cerr << "render thread: a frame failed: " << error.what() << "\n";
  } catch (...) {
    std::cerr << "render thread: a frame failed\n";
  }
}

}  // namespace sim
