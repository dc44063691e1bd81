#pragma once

#include <atomic>
#include <barrier>
#include <thread>
#include <vector>

namespace wavetrak {

// A fixed set of threads that run one indexed job at a time: run(count, job) calls job(i) for
// i = 0 .. count - 1, spread over the threads and the caller, and returns when all are done.
// Which thread runs which index is left to chance, so a job must write only its own results.
// With one thread nothing is started and the caller runs every index itself.
class WorkerPool {
public:
    explicit WorkerPool(int n_threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return static_cast<int>(workers_.size()) + 1; }

    template <class Job>
    void run(int count, Job& job) {
        run_erased(
            count, [](void* context, int index) { (*static_cast<Job*>(context))(index); }, &job);
    }

private:
    using JobFunction = void (*)(void*, int);

    void run_erased(int count, JobFunction function, void* context);
    void work_through();
    void worker_loop();

    std::barrier<> start_;
    std::barrier<> finish_;
    std::atomic<int> next_index_{0};
    int count_ = 0;
    JobFunction function_ = nullptr;
    void* context_ = nullptr;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// The thread count a run uses by default: every core the machine reports, at least one.
int default_thread_count();

}  // namespace wavetrak
