// SPDX-License-Identifier: MIT
#include "app/singleinstance.h"

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void init() { qputenv("GLOSSA_LOCK_FILE", dir_.filePath(u"glossa.lock"_s).toLocal8Bit()); }

    void lockPathIsOverridable() {
        QCOMPARE(SingleInstance::lockFilePath(), dir_.filePath(u"glossa.lock"_s));
    }

    void secondInstanceIsRefused() {
        SingleInstance first;
        QVERIFY(!first.AcquireSingleInstance());
        SingleInstance second;
        QVERIFY(second.AcquireSingleInstance()); // must not go on
        // The refusal leaves the first one's guard in place.
        SingleInstance third;
        QVERIFY(third.AcquireSingleInstance());
    }

    void releaseLetsTheNextOneStart() {
        {
            SingleInstance first;
            QVERIFY(!first.AcquireSingleInstance());
            first.release();
            SingleInstance second;
            QVERIFY(!second.AcquireSingleInstance());
        }
        SingleInstance afterDestruction;
        QVERIFY(!afterDestruction.AcquireSingleInstance());
    }

#ifndef Q_OS_WIN
    void staleLockOfEndedProcessIsRecovered() {
        // A lock left behind by a process that no longer runs (QLockFile's format: pid, app
        // name, host name).
        QFile lock(SingleInstance::lockFilePath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("2147483000\nglossa\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        SingleInstance instance;
        QVERIFY(!instance.AcquireSingleInstance());
    }

    void unusableLockPathRefuses() {
        qputenv("GLOSSA_LOCK_FILE", dir_.filePath(u"no/such/folder/glossa.lock"_s).toLocal8Bit());
        SingleInstance instance;
        QVERIFY(instance.AcquireSingleInstance());
    }
#endif
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
