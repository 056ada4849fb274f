#include "conversion/parallel.h"

#include <future>
#include <system_error>
#include <thread>
#include <vector>

namespace pixolat {

void InParallel(int parts, const std::function<void(int part)>& work) {
    static const unsigned cores = std::thread::hardware_concurrency();
    const bool alone = parts < 2 || cores < 2;
    std::vector<std::future<void>> others;
    if (!alone) {
        others.reserve(std::size_t(parts - 1));
        try {
            for (int part = 1; part < parts; ++part)
                others.push_back(std::async(std::launch::async, work, part));
        } catch (const std::system_error&) {
            // No thread to be had: the parts not started run here.
        }
    }
    work(0);
    for (int part = int(others.size()) + 1; part < parts; ++part) work(part);
    for (std::future<void>& other : others) other.get();
}

}  // namespace pixolat
