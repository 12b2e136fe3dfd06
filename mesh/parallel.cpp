#include "mesh/parallel.h"

#include <algorithm>
#include <mutex>
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

std::size_t runFromBothEnds(std::size_t parts, unsigned threads,
                            const std::function<bool(std::size_t part)>& front,
                            const std::function<void(std::size_t part)>& back) {
    std::mutex claims;
    std::size_t first = 0, last = parts; // parts first .. last - 1 are not taken yet
    auto take = [&](bool fromFront, std::size_t& part) {
        const std::lock_guard<std::mutex> lock(claims);
        if (first == last)
            return false;
        part = fromFront ? first++ : --last;
        return true;
    };
    std::size_t ranInFront = 0;
    runParts(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(parts, 1)),
             [&](std::size_t worker) {
                 std::size_t part = 0;
                 if (worker > 0) {
                     while (take(false, part))
                         back(part);
                     return;
                 }
                 while (take(true, part)) {
                     ranInFront = part + 1;
                     if (!front(part)) {
                         const std::lock_guard<std::mutex> lock(claims);
                         last = first; // the others take nothing more
                         return;
                     }
                 }
             });
    return ranInFront;
}
