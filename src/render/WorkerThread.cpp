#include "render/WorkerThread.h"

#include <sched.h>

namespace hyt {

int FreeCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    const int count = CPU_COUNT(&set);
    return count > 0 ? count : 1;
}

WorkerThread::WorkerThread() : thread([this] { Loop(); }) {}

WorkerThread::~WorkerThread()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        quitting = true;
    }
    changed.notify_all();
    thread.join();
}

void WorkerThread::RunBeside(void (*job)(void*), void (*own)(void*), void* context)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        pending = job;
        pendingContext = context;
    }
    changed.notify_all();
    own(context);
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return pending == nullptr; });
}

void WorkerThread::Loop()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return pending != nullptr || quitting; });
        if (pending == nullptr)
            return; // quitting, with nothing in hand
        void (*job)(void*) = pending;
        void* context = pendingContext;
        lock.unlock();
        job(context);
        lock.lock();
        pending = nullptr;
        changed.notify_all();
    }
}

} // namespace hyt
