#include "engine/SplitWork.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace brodix {

namespace {

std::atomic<int> g_threads{0};

}  // namespace

int WorkThreads() {
    const int set = g_threads.load();
    if (set > 0)
        return set;
    // The cores this process may run on (taskset, a container's share), not all the machine's.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return std::max(1, CPU_COUNT(&allowed));
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void SetWorkThreads(int threads) {
    g_threads.store(std::max(threads, 0));
}

void SplitWork(std::size_t count, std::size_t minPart,
               const std::function<void(std::size_t begin, std::size_t end)>& work) {
    const std::size_t byLength = count / std::max<std::size_t>(minPart, 1);
    const std::size_t parts =
        std::clamp<std::size_t>(byLength, 1, static_cast<std::size_t>(WorkThreads()));
    if (parts <= 1) {
        if (count > 0)
            work(0, count);
        return;
    }
    std::vector<std::exception_ptr> failures(parts);
    {
        std::vector<std::jthread> threads;
        threads.reserve(parts - 1);
        const auto run = [&](std::size_t part) {
            try {
                work(count * part / parts, count * (part + 1) / parts);
            } catch (...) {
                failures[part] = std::current_exception();
            }
        };
        for (std::size_t part = 1; part < parts; ++part)
            threads.emplace_back(run, part);
        run(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

}  // namespace brodix
