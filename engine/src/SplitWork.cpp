#include "engine/SplitWork.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace brodix {

namespace {

std::atomic<int> g_threads{0};

// Runs `run` on this thread and on count - 1 others, and returns when all have ended.
void RunOnThreads(std::size_t count, const std::function<void()>& run) {
    std::vector<std::jthread> others;
    others.reserve(count > 0 ? count - 1 : 0);
    for (std::size_t thread = 1; thread < count; ++thread)
        others.emplace_back(run);
    run();
}

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
    // More parts than threads, each thread taking the next part when it is done with one: a core
    // that another program shares then does less of the work instead of holding up the rest.
    constexpr std::size_t kPartsPerThread = 8;
    const auto threads = static_cast<std::size_t>(WorkThreads());
    const std::size_t parts = std::clamp<std::size_t>(count / std::max<std::size_t>(minPart, 1), 1,
                                                      threads == 1 ? 1 : threads * kPartsPerThread);
    if (parts <= 1) {
        if (count > 0)
            work(0, count);
        return;
    }
    std::atomic<std::size_t> next{0};
    // Parts are taken in order and a part taken runs to its end, so every part below a failed
    // one has run: the lowest-numbered failure is the one a single thread meets first, whatever
    // the threads and their timing.
    std::mutex failureLock;
    std::size_t failedPart = parts;
    std::exception_ptr failure;
    {
        const auto run = [&] {
            std::size_t part = 0;
            try {
                for (part = next++; part < parts; part = next++)
                    work(count * part / parts, count * (part + 1) / parts);
            } catch (...) {
                next = parts;  // the others stop after their part
                const std::lock_guard lock(failureLock);
                if (part < failedPart) {
                    failedPart = part;
                    failure = std::current_exception();
                }
            }
        };
        RunOnThreads(std::min(threads, parts), run);
    }
    if (failure)
        std::rethrow_exception(failure);
}

void SweepRows(int width, int height, int reach, const std::function<void(int x, int y)>& visit) {
    if (width <= 0 || height <= 0)
        return;
    const auto threads = static_cast<std::size_t>(WorkThreads());
    if (threads == 1 || height == 1) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                visit(x, y);
        }
        return;
    }
    constexpr int kCellsPerStep = 64;
    // Per row, how many of its cells have run; a row whose sweep failed counts as done, so
    // that the rows after it stop waiting and end.
    std::vector<std::atomic<int>> done(static_cast<std::size_t>(height));
    std::atomic<int> nextRow{0};
    std::atomic<bool> failed{false};
    std::mutex failureLock;
    int failedRow = height;
    std::exception_ptr failure;
    const auto run = [&] {
        for (int y = nextRow++; y < height && !failed; y = nextRow++) {
            std::atomic<int>& row = done[static_cast<std::size_t>(y)];
            try {
                // What the row above has run, as last seen: looked at again only when a cell
                // needs more.
                int seen = y > 0 ? 0 : width;
                for (int x = 0; x < width && !failed; ++x) {
                    const int needed = std::min(width, x + reach + 1);
                    if (seen < needed) {
                        std::atomic<int>& above = done[static_cast<std::size_t>(y - 1)];
                        for (seen = above.load(std::memory_order_acquire); seen < needed;
                             seen = above.load(std::memory_order_acquire))
                            above.wait(seen, std::memory_order_acquire);
                        if (failed)
                            break;
                    }
                    visit(x, y);
                    // Told in steps: a row below waiting on each cell would wake for each.
                    if ((x + 1) % kCellsPerStep == 0 || x + 1 == width) {
                        row.store(x + 1, std::memory_order_release);
                        row.notify_all();
                    }
                }
            } catch (...) {
                {
                    const std::lock_guard lock(failureLock);
                    if (y < failedRow) {
                        failedRow = y;
                        failure = std::current_exception();
                    }
                }
                failed = true;
            }
            if (failed) {
                // Every row still running may wait on another: all are let go.
                for (std::atomic<int>& each : done) {
                    each.store(width, std::memory_order_release);
                    each.notify_all();
                }
            }
        }
    };
    { RunOnThreads(std::min(threads, static_cast<std::size_t>(height)), run); }
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace brodix
