// SPDX-License-Identifier: MIT
#include "app/windowsettings.h"
#include "prefs/settingspaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

const QList<QRect> kOneMonitor{QRect(0, 0, 1920, 1080)};

} // namespace

class TestWindowSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void fit_data() {
        QTest::addColumn<QList<QRect>>("monitors");
        QTest::addColumn<QRect>("in"); // x, y, width, height
        QTest::addColumn<QRect>("out");
        const QList<QRect> twoLeft{QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 1024)};
        QTest::newRow("inside stays")
            << kOneMonitor << QRect(100, 50, 600, 700) << QRect(100, 50, 600, 700);
        QTest::newRow("width 300 becomes 500")
            << kOneMonitor << QRect(0, 0, 300, 550) << QRect(0, 0, 500, 550);
        QTest::newRow("minimised -32000")
            << kOneMonitor << QRect(-32000, -32000, 500, 550) << QRect(0, 0, 500, 550);
        QTest::newRow("wider than the box")
            << kOneMonitor << QRect(100, 0, 4000, 550) << QRect(0, 0, 500, 550);
        QTest::newRow("higher than the box")
            << kOneMonitor << QRect(0, 300, 600, 2000) << QRect(0, 0, 600, 550);
        QTest::newRow("past the right edge")
            << kOneMonitor << QRect(1700, 0, 600, 550) << QRect(1320, 0, 600, 550);
        QTest::newRow("past the bottom edge")
            << kOneMonitor << QRect(0, 900, 600, 600) << QRect(0, 480, 600, 600);
        QTest::newRow("monitor on the left stays")
            << twoLeft << QRect(-1000, 100, 600, 600) << QRect(-1000, 100, 600, 600);
        QTest::newRow("left of the left monitor")
            << twoLeft << QRect(-2000, 0, 600, 600) << QRect(-1280, 0, 600, 600);
        QTest::newRow("box always holds 0,0") << QList<QRect>{QRect(100, 100, 800, 600)}
                                              << QRect(0, 0, 500, 550) << QRect(0, 0, 500, 550);
        QTest::newRow("no monitors: box of one point")
            << QList<QRect>{} << QRect(10, 10, 500, 550) << QRect(0, 0, 500, 550);
        QTest::newRow("gap between monitors not moved")
            << QList<QRect>{QRect(0, 0, 1000, 800), QRect(1000, 400, 1000, 800)}
            << QRect(1100, 0, 600, 550) << QRect(1100, 0, 600, 550);
    }
    void fit() {
        QFETCH(QList<QRect>, monitors);
        QFETCH(QRect, in);
        QFETCH(QRect, out);
        int x = in.x(), y = in.y(), w = in.width(), h = in.height();
        FitWindowToDesktops(x, y, w, h, 500, 550, monitors);
        QCOMPARE(QRect(x, y, w, h), out);
    }

    void folderIsUnderApplicationData() {
        QVERIFY(settingsFilePath().endsWith(u"/zanth/glossa/glossa.prefs"_s));
        QVERIFY(settingsFolder().startsWith(applicationDataFolder()));
    }

    void ensureFoldersCreatesBoth() {
        QDir(settingsFolder()).removeRecursively();
        QDir(applicationDataFolder() + u"/zanth"_s).removeRecursively();
        EnsureSettingsFolders();
        QVERIFY(QFileInfo(applicationDataFolder() + u"/zanth"_s).isDir());
        QVERIFY(QFileInfo(settingsFolder()).isDir());
    }

    void firstRunGivesDefaultsAndNoFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"glossa.prefs"_s);
        const WindowSettings s = LoadWindowSettings(path, kOneMonitor);
        QCOMPARE(s.winX, 0);
        QCOMPARE(s.winY, 0);
        QCOMPARE(s.winW, 500);
        QCOMPARE(s.winH, 550);
        QCOMPARE(s.splitterPos, 150);
        QVERIFY(!QFile::exists(path));
    }

    void storedValuesAreReadAndValidated() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"glossa.prefs"_s);
        writeAll(path, "[window]\r\nWinW = 300\r\nWinH = 700\r\nWinX = -32000\r\nWinY = 40\r\n"
                       "SplitterPos = 222\r\n");
        const WindowSettings s = LoadWindowSettings(path, kOneMonitor);
        QCOMPARE(s.winW, 500);
        QCOMPARE(s.winH, 700);
        QCOMPARE(s.winX, 0);
        QCOMPARE(s.winY, 40);
        QCOMPARE(s.splitterPos, 222);
    }

    void lettersReadAsZero() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"glossa.prefs"_s);
        writeAll(path, "[window]\nWinW=abc\nWinX=abc\n");
        const WindowSettings s = LoadWindowSettings(path, kOneMonitor);
        QCOMPARE(s.winW, 500); // 0, raised by validation
        QCOMPARE(s.winX, 0);
        QCOMPARE(s.winH, 550); // missing: default
    }

    void unchangedLeavesFileUntouched() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"glossa.prefs"_s);
        const QByteArray before = "[window]\nWinW=600\n[other]\nKey=1\n";
        writeAll(path, before);
        const QDateTime modified = QFileInfo(path).lastModified();
        QThread::msleep(20);
        WindowSettings kept;
        kept.winW = 600;
        QVERIFY(!SaveWindowSettings(path, kept, kept));
        QCOMPARE(readAll(path), before);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }

    void movedWritesOnlyTheWindowGroup() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"glossa.prefs"_s);
        writeAll(path, "[other]\nKey=1\n[window]\nWinW=500\nExtra=2\n");
        WindowSettings kept;
        WindowSettings now{600, 650, 100, 80, 200};
        QVERIFY(SaveWindowSettings(path, kept, now));
        QCOMPARE(readAll(path),
                 QByteArray("\xEF\xBB\xBF\r\n[window]\r\nWinW = 600\r\nWinH = 650\r\n"
                            "WinX = 100\r\nWinY = 80\r\nSplitterPos = 200\r\n"));
    }

    void onlySplitterMovedAlsoWrites() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"glossa.prefs"_s);
        WindowSettings kept;
        WindowSettings now = kept;
        now.splitterPos = 151;
        QVERIFY(SaveWindowSettings(path, kept, now));
        QVERIFY(readAll(path).contains("SplitterPos = 151\r\n"));
    }

    void unwritableFolderIsIgnored() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"missing/folder/glossa.prefs"_s);
        WindowSettings now{600, 650, 100, 80, 200};
        QVERIFY(!SaveWindowSettings(path, WindowSettings{}, now));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestWindowSettings)
#include "test_windowsettings.moc"
