#include "mesh/parallel.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

void runParts(std::size_t parts, const std::function<void(std::size_t part)>& work) {
    std::vector<std::thread> workers;
    std::size_t started = 1;
    try {
        for (; started < parts; ++started)
            workers.emplace_back(work, started);
    } catch (const std::system_error&) {
        // No more threads: the parts not started run here.
    }
    for (std::size_t part = 0; part < parts; ++part)
        if (part == 0 || part >= started)
            work(part);
    for (std::thread& worker : workers)
        worker.join();
}

void runHalves(std::size_t count, std::size_t minimumForTwo,
               const std::function<void(std::size_t begin, std::size_t end)>& work) {
    if (count < minimumForTwo) {
        work(0, count);
        return;
    }
    const std::size_t half = count / 2;
    runParts(2, [&](std::size_t part) { part == 0 ? work(0, half) : work(half, count); });
}

void runTaken(std::size_t parts, unsigned threads,
              const std::function<void(std::size_t part)>& work) {
    std::atomic<std::size_t> next{0};
    runParts(std::min<std::size_t>(threads, parts), [&](std::size_t) {
        for (std::size_t part; (part = next++) < parts;)
            work(part);
    });
}
