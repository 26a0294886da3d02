#include "host/threads/RenderThread.h"

#include <iostream>

namespace sim {

#if CORVANE_SIM_THREADS

RenderThread::RenderThread() : thread_([this] { Loop(); }) {}

RenderThread::~RenderThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void RenderThread::Run(const std::function<void()>& job) {
  Job handed;
  handed.work = &job;
  if (std::this_thread::get_id() == thread_.get_id()) {
    RunJob(handed);
  } else {
    std::unique_lock<std::mutex> lock(mutex_);
    jobs_.push_back(&handed);
    wake_.notify_all();
    jobDone_.wait(lock, [&] { return handed.done; });
  }
  if (handed.error) std::rethrow_exception(handed.error);
}

void RenderThread::FreeRun(std::function<void()> frame, double framesPerSecond) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    frame_ = std::move(frame);
    frameInterval_ = framesPerSecond > 0 ? std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(1.0 / framesPerSecond))
                                         : std::chrono::steady_clock::duration::zero();
  }
  wake_.notify_all();
}

void RenderThread::DrawFreeFrameNow() {}

// Jobs come first; a free-running frame is drawn when none waits and its time
// has come.
void RenderThread::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  auto nextFrame = std::chrono::steady_clock::now();
  for (;;) {
    if (!jobs_.empty()) {
      Job* job = jobs_.front();
      jobs_.pop_front();
      lock.unlock();
      RunJob(*job);
      lock.lock();
      job->done = true;
      jobDone_.notify_all();
      continue;
    }
    if (ending_) return;
    if (!frame_) {
      wake_.wait(lock);
      continue;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < nextFrame) {
      wake_.wait_until(lock, nextFrame);
      continue;
    }
    const std::function<void()> frame = frame_;
    nextFrame = now + frameInterval_;
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
  frame_ = std::move(frame);
}

void RenderThread::DrawFreeFrameNow() {
  if (frame_) DrawFrame(frame_);
}

#endif

bool RenderThread::FreeRunning() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<bool>(frame_);
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
  ++freeFrames_;
  try {
    frame();
  } catch (const std::exception& error) {
    std::cerr << "render thread: a frame failed: " << error.what() << "\n";
  } catch (...) {
    std::cerr << "render thread: a frame failed\n";
  }
}

}  // namespace sim
