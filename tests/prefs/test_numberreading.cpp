// SPDX-License-Identifier: MIT
#include "prefs/numberreading.h"

#include <QTest>

using namespace glossa;

class TestNumberReading : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value64");
        QTest::addColumn<int>("value32");
        QTest::newRow("decimal") << QStringLiteral("262211") << qint64(262211) << 262211;
        QTest::newRow("leading blanks and tabs") << QStringLiteral(" \t 42") << qint64(42) << 42;
        QTest::newRow("plus") << QStringLiteral("+7") << qint64(7) << 7;
        QTest::newRow("minus") << QStringLiteral("-5") << qint64(-5) << -5;
        QTest::newRow("hex") << QStringLiteral("$40043") << qint64(0x40043) << 0x40043;
        QTest::newRow("hex lower case") << QStringLiteral("$ff") << qint64(255) << 255;
        QTest::newRow("negative hex") << QStringLiteral("-$10") << qint64(-16) << -16;
        QTest::newRow("binary") << QStringLiteral("%1011") << qint64(11) << 11;
        QTest::newRow("binary stops at 2") << QStringLiteral("%1021") << qint64(2) << 2;
        QTest::newRow("stops at letters") << QStringLiteral("12abc") << qint64(12) << 12;
        QTest::newRow("decimal ignores hex letters") << QStringLiteral("12ff") << qint64(12) << 12;
        QTest::newRow("no digits") << QStringLiteral("abc") << qint64(0) << 0;
        QTest::newRow("empty") << QStringLiteral("") << qint64(0) << 0;
        QTest::newRow("sign only") << QStringLiteral("-") << qint64(0) << 0;
        QTest::newRow("dollar only") << QStringLiteral("$") << qint64(0) << 0;
        QTest::newRow("blank after sign stops") << QStringLiteral("- 5") << qint64(0) << 0;
        QTest::newRow("64-bit used as 32")
            << QStringLiteral("4294967297") << qint64(4294967297) << 1;
        QTest::newRow("2^31 wraps negative")
            << QStringLiteral("2147483648") << qint64(2147483648) << int(-2147483647 - 1);
        QTest::newRow("window handle in hex")
            << QStringLiteral("$FFFFFFFF") << qint64(0xFFFFFFFF) << -1;
    }
    void reads() {
        QFETCH(QString, text);
        QFETCH(qint64, value64);
        QFETCH(int, value32);
        QCOMPARE(readNumber64(text), value64);
        QCOMPARE(readNumber(text), value32);
    }
    void overlongNumberWraps() {
        // 30 digits overflow 64 bits; the reading wraps modulo 2^64 instead of overflowing.
        const QString text(30, u'9');
        QCOMPARE(readNumber64(text), Q_INT64_C(5076944270305263615));
    }
};

QTEST_APPLESS_MAIN(TestNumberReading)
#include "test_numberreading.moc"
