// WorkerThread: one helper thread that runs a job beside the caller's own
// work, for a picture drawn as two bands of rows at the same time.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace hyt {

// How many cores this process may run on, at least 1.
int FreeCores();

class WorkerThread {
  public:
    WorkerThread();
    ~WorkerThread(); // waits for the job in hand, then ends the thread
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs job(context) on the helper thread while the caller runs
    // own(context), and returns when both are done.
    void RunBeside(void (*job)(void*), void (*own)(void*), void* context);

  private:
    void Loop();

    std::mutex mutex;
    std::condition_variable changed;
    void (*pending)(void*) = nullptr; // the job handed over, until it is done
    void* pendingContext = nullptr;
    bool quitting = false;
    std::thread thread;
};

} // namespace hyt
