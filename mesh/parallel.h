// Work split over threads with the results the same as one thread's: each part writes only its
// own outputs, and when no thread can be started the parts run one after the other here.
#pragma once

#include <cstddef>
#include <functional>

// Runs work(part) for every part in 0 .. parts - 1: part 0 on the calling thread, the others on
// threads of their own where they can be started (on the calling thread where not). Returns
// when all parts are done.
void runParts(std::size_t parts, const std::function<void(std::size_t part)>& work);

// Runs the parts 0 .. parts - 1 on up to `threads` threads. The calling thread takes them from
// the front, in order, with front(part), and stops early when that returns false; the other
// threads take them from the back with back(part). Returns n: parts 0 .. n - 1 ran with front,
// and, unless front stopped early, parts n .. parts - 1 with back. So a thread that the system
// holds back delays the caller by at most the part it is on, and the caller alone runs them all
// when no other thread gets to run.
std::size_t runFromBothEnds(std::size_t parts, unsigned threads,
                            const std::function<bool(std::size_t part)>& front,
                            const std::function<void(std::size_t part)>& back);

// Runs work(begin, end) over [0, count) in two halves side by side, or whole on the calling
// thread when count is below minimumForTwo.
void runHalves(std::size_t count, std::size_t minimumForTwo,
               const std::function<void(std::size_t begin, std::size_t end)>& work);
