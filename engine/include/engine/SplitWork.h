#pragma once

#include <cstddef>
#include <functional>

namespace brodix {

// How many threads long work may split into: the cores the system reports, unless set.
int WorkThreads();
// 0: the cores again. The benchmarks compare one thread with all of them.
void SetWorkThreads(int threads);

// Runs work(begin, end) over contiguous parts of [0, count) that together cover it once, on up
// to WorkThreads() threads at once, each part at least minPart long (so that a short list stays
// on the calling thread, where a thread would cost more than it saves). The parts must be
// independent: then the result is the same however the work is split. After a part raises an
// exception no new part starts, and once the threads have ended the exception of the
// lowest-numbered part that raised one is raised again here: the one a single thread would
// have raised, so that a failure too is the same however the work is split.
void SplitWork(std::size_t count, std::size_t minPart,
               const std::function<void(std::size_t begin, std::size_t end)>& work);

// Runs visit(x, y) once for every cell of a grid of width x height with the result of a single
// thread going through the cells in reading order, on up to WorkThreads() threads: each takes the
// next row and runs its cells from left to right, each cell once the row above has run every
// cell up to reach columns to its right (or to its end). Enough when what a cell does reads and
// changes only cells whose columns lie closer to it than reach (a cell that reads up to 3
// columns away and changes up to 1 away: reach 4) and rows after it never change rows before
// them further up than that. An exception from a cell stops the sweep and is raised again here;
// the cells after it in their row do not run.
void SweepRows(int width, int height, int reach, const std::function<void(int x, int y)>& visit);

}  // namespace brodix
