// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QMap>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace glossa {

// Runs work on a thread of its own, in the order it is added, while the caller does something
// else with the results that are ready: the cataloguing of one source beside the reading of the
// next, the building of one page beside the writing of the one before. With CallerHelps::Yes a
// caller that would wait does the next job itself: the work must then be safe to run on two
// threads at once. Standard threads and locks, which the thread sanitizer understands (Qt's,
// unless Qt itself is built for it, look like races to it).
enum class CallerHelps { No, Yes };

template <typename Job, typename Result> class InOrder {
public:
    // At most this many jobs are queued or done and not yet taken.
    static constexpr qsizetype kAhead = 16;
    // The waiting caller is woken once this many results are ready (or nothing is left to do),
    // not at each one: on a virtual machine each sleep and wake-up costs tens of microseconds.
    static constexpr qsizetype kBatch = 8;
    using Work = std::function<Result(Job&)>;

    InOrder(Work work, CallerHelps helps) : work_(std::move(work)), helps_(helps) {
        thread_ = std::thread([this] { run(); });
    }
    ~InOrder() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    InOrder(const InOrder&) = delete;
    InOrder& operator=(const InOrder&) = delete;

    void add(Job job) {
        const std::lock_guard lock(mutex_);
        todo_.append({added_++, std::move(job)});
        wake_.notify_all();
    }
    // Whether as many jobs are under way as may be.
    bool full() const { return added_ - taken_ >= kAhead; }
    bool pending() const { return added_ > taken_; }
    // The next result, in the order added; waits until it is done.
    Result next() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (const auto ready = done_.find(taken_); ready != done_.end()) {
                Result result = std::move(*ready);
                done_.erase(ready);
                ++taken_;
                return result;
            }
            if (helps_ == CallerHelps::Yes && !todo_.isEmpty()) {
                auto [number, job] = todo_.takeFirst();
                lock.unlock();
                Result result = work_(job);
                lock.lock();
                done_.insert(number, std::move(result));
                continue;
            }
            wake_.wait(lock);
        }
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            while (todo_.isEmpty() && !stop_)
                wake_.wait(lock);
            if (todo_.isEmpty())
                return;
            auto [number, job] = todo_.takeFirst();
            lock.unlock();
            Result result = work_(job);
            lock.lock();
            done_.insert(number, std::move(result));
            if (done_.size() >= kBatch || todo_.isEmpty())
                wake_.notify_all();
        }
    }

    Work work_;
    CallerHelps helps_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    QList<std::pair<qsizetype, Job>> todo_; // by the number given when added
    QMap<qsizetype, Result> done_;
    qsizetype added_ = 0; // only changed under the lock, on the caller's thread
    qsizetype taken_ = 0;
    bool stop_ = false;
};

} // namespace glossa
