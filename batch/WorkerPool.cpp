#include "batch/WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace calvane::batch {

void runPool(const std::vector<std::string>& labels, const RunSettings& settings, ProgressLine& progress,
             const std::function<CurveOutcome(std::size_t, unsigned)>& work,
             const std::function<void(std::size_t, CurveOutcome&)>& deliver)
{
    if (labels.empty())
        return;
    unsigned workers = settings.workers;
    auto cancelled = [&settings] { return settings.cancel && settings.cancel->load(); };
    auto report = [&](std::size_t doneNow, const std::string& currentNow) {
        progress.show(doneNow, currentNow);
        if (settings.onProgress)
            settings.onProgress(doneNow, labels.size(), currentNow);
    };
    const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
    workers = std::clamp<unsigned>(workers ? workers : hardware, 1, static_cast<unsigned>(labels.size()));
    // The light-response search is threaded itself: together they fill the machine once.
    const unsigned searchThreads = workers == 1 ? 0 : std::max(1u, hardware / workers);

    std::vector<std::optional<CurveOutcome>> outcomes(labels.size());
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t next = 0, done = 0;
    std::string current;
    auto worker = [&] {
        for (;;) {
            std::size_t i;
            {
                const std::lock_guard lock(mutex);
                if (next >= labels.size() || cancelled())
                    return;
                i = next++;
                current = labels[i];
            }
            CurveOutcome outcome = work(i, searchThreads);
            {
                const std::lock_guard lock(mutex);
                outcomes[i] = std::move(outcome);
                ++done;
            }
            finished.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned k = 0; k < workers; ++k)
        pool.emplace_back(worker);

    report(0, labels.front());
    for (std::size_t i = 0; i < labels.size(); ++i) {
        std::unique_lock lock(mutex);
        while (!outcomes[i]) {
            if (i >= next && cancelled())
                break;  // no worker took this curve, and none will
            const std::size_t doneNow = done;
            // A copy taken under the lock, to report after it is released.
            // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
            const std::string currentNow = current;
            lock.unlock();
            report(doneNow, currentNow);
            lock.lock();
            finished.wait_for(lock, std::chrono::milliseconds(250), [&] { return outcomes[i].has_value(); });
        }
        if (!outcomes[i])
            break;
        CurveOutcome outcome = std::move(*outcomes[i]);
        outcomes[i].reset();
        lock.unlock();
        progress.clear();
        deliver(i, outcome);
    }
    if (settings.onProgress) {
        std::unique_lock lock(mutex);
        const std::size_t doneNow = done;
        lock.unlock();
        settings.onProgress(doneNow, labels.size(), std::string());
    }
    for (auto& thread : pool)
        thread.join();
}

}  // namespace calvane::batch
