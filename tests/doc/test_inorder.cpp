// SPDX-License-Identifier: MIT
// The export's work queue: results come back in the order the jobs were added, the job's data
// is handed back to the caller as the only reference to it (so that it is freed on the thread
// that made it), and a caller that helps does a job itself while the worker is busy.
#include "doc/inorder.h"

#include <QTest>

#include <condition_variable>
#include <mutex>
#include <thread>

using glossa::CallerHelps;
using glossa::InOrder;

namespace {

struct Done {
    int job = 0;
    std::thread::id thread;
    QList<int> data;
};

} // namespace

class TestInOrder : public QObject {
    Q_OBJECT

private slots:
    void handsBackInOrderOnItsThread() {
        InOrder<QList<int>, Done> queue(
            [](QList<int>& job) {
                const int number = job.first();
                return Done{number, std::this_thread::get_id(), std::move(job)};
            },
            CallerHelps::No);
        QList<const int*> given;
        int next = 0;
        const auto take = [&] {
            const Done done = queue.next();
            QCOMPARE(done.job, next);
            QCOMPARE(done.data.constData(), given[next]);
            QVERIFY(done.data.isDetached());
            QVERIFY(done.thread != std::this_thread::get_id());
            ++next;
        };
        for (int i = 0; i < 40; ++i) {
            QList<int> job{i, i, i};
            given.append(job.constData());
            queue.add(std::move(job));
            // The caller takes results as it goes, as the export does.
            while (queue.full())
                take();
        }
        QCOMPARE(next, 25); // 16 jobs ahead at most
        while (queue.pending())
            take();
        QCOMPARE(next, 40);
    }

    // Job 0 waits until job 1 is done, so one of the two threads must take job 1 while the
    // other is in job 0: the caller does one of them, and 0 still comes back first.
    void callerHelpsAndKeepsTheOrder() {
        std::mutex mutex;
        std::condition_variable wake;
        bool secondDone = false;
        int finished = 0;
        InOrder<int, Done> queue(
            [&](int& job) {
                std::unique_lock lock(mutex);
                if (job == 0)
                    wake.wait(lock, [&] { return secondDone; });
                secondDone = true;
                wake.notify_all();
                return Done{job * 10 + finished++, std::this_thread::get_id(), {}};
            },
            CallerHelps::Yes);
        queue.add(0);
        queue.add(1);
        const Done first = queue.next();
        const Done second = queue.next();
        QVERIFY(!queue.pending());
        QCOMPARE(first.job, 0 * 10 + 1); // job 0, finished second
        QCOMPARE(second.job, 1 * 10 + 0);
        QVERIFY((first.thread == std::this_thread::get_id()) !=
                (second.thread == std::this_thread::get_id()));
    }
};

QTEST_GUILESS_MAIN(TestInOrder)
#include "test_inorder.moc"
