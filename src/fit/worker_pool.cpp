#include "fit/worker_pool.h"

#include <algorithm>

namespace wavetrak {

WorkerPool::WorkerPool(int n_threads)
    : start_(std::max(n_threads, 1)), finish_(std::max(n_threads, 1)) {
    for (int i = 1; i < n_threads; ++i) workers_.emplace_back([this] { worker_loop(); });
}

WorkerPool::~WorkerPool() {
    if (workers_.empty()) return;
    stopping_ = true;
    start_.arrive_and_wait();
    for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::run_erased(int count, JobFunction function, void* context) {
    if (workers_.empty() || count <= 1) {
        for (int i = 0; i < count; ++i) function(context, i);
        return;
    }
    count_ = count;
    function_ = function;
    context_ = context;
    next_index_.store(0, std::memory_order_relaxed);
    start_.arrive_and_wait();
    work_through();
    finish_.arrive_and_wait();
}

void WorkerPool::work_through() {
    for (int i = next_index_.fetch_add(1); i < count_; i = next_index_.fetch_add(1)) {
        function_(context_, i);
    }
}

void WorkerPool::worker_loop() {
    for (;;) {
        start_.arrive_and_wait();
        if (stopping_) return;
        work_through();
        finish_.arrive_and_wait();
    }
}

int default_thread_count() {
    unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

}  // namespace wavetrak
