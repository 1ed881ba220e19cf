// SPDX-License-Identifier: MIT
#include "log/logging.h"

#include "bridgelog.h"
#include "glossaversion.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTime>

#include <memory>

using namespace Qt::StringLiterals;

namespace glossa {

Q_LOGGING_CATEGORY(lcBridge, "glossa.bridge", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFile, "glossa.file", QtWarningMsg)
Q_LOGGING_CATEGORY(lcExport, "glossa.export", QtWarningMsg)
Q_LOGGING_CATEGORY(lcInstall, "glossa.install", QtWarningMsg)

namespace {

// The log file and the handler it was put in front of; messages come from any thread.
struct LogFile {
    QMutex mutex;
    std::unique_ptr<QFile> file;
    QtMessageHandler previous = nullptr;
};

LogFile& theLogFile() {
    static LogFile log;
    return log;
}

void copyToLogFile(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    LogFile& log = theLogFile();
    QtMessageHandler previous = nullptr;
    {
        const QMutexLocker lock(&log.mutex);
        previous = log.previous;
        if (log.file) {
            const QString time = QTime::currentTime().toString(u"HH:mm:ss.zzz "_s);
            log.file->write((time + qFormatLogMessage(type, context, message) + u'\n').toUtf8());
            log.file->flush(); // a crash right after must not lose the line that explains it
        }
    }
    if (previous)
        previous(type, context, message);
}

// The filter that applies the logging rules, which the verbose filter calls first.
QLoggingCategory::CategoryFilter& rulesFilter() {
    static QLoggingCategory::CategoryFilter filter = nullptr;
    return filter;
}

// Over whatever the rules say (the program's own, QT_LOGGING_RULES): Glossa's categories on.
void verboseFilter(QLoggingCategory* category) {
    if (const QLoggingCategory::CategoryFilter rules = rulesFilter())
        rules(category);
    if (QLatin1StringView(category->categoryName()).startsWith("glossa."_L1))
        category->setEnabled(QtDebugMsg, true);
}

} // namespace

void enableVerboseLogging() {
    // A filter rather than rules: rules set later (the web engine's quiet start) replace
    // earlier ones, a filter stays in front of them.
    const QLoggingCategory::CategoryFilter previous =
        QLoggingCategory::installFilter(verboseFilter);
    if (previous != verboseFilter)
        rulesFilter() = previous;
}

void connectBridgeLog() {
    if (!lcBridge().isDebugEnabled()) {
        setBridgeLogSink(nullptr);
        return;
    }
    setBridgeLogSink([](const char* line) { qCDebug(lcBridge, "%s", line); });
}

QString logFilePathBeside(const QString& settingsPath) {
    return QFileInfo(settingsPath).dir().filePath(u"glossa.log"_s);
}

Result startLogFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return Result::failure(file->errorString());
    file->write(
        u"--- Glossa %1, %2\n"_s
            .arg(QStringLiteral(GLOSSA_VERSION), QDateTime::currentDateTime().toString(Qt::ISODate))
            .toUtf8());
    file->flush();
    LogFile& log = theLogFile();
    const QMutexLocker lock(&log.mutex);
    log.file = std::move(file);
    const QtMessageHandler previous = qInstallMessageHandler(copyToLogFile);
    if (previous != copyToLogFile)
        log.previous = previous;
    return Result::success();
}

void stopLogFile() {
    LogFile& log = theLogFile();
    const QMutexLocker lock(&log.mutex);
    qInstallMessageHandler(log.previous);
    log.file.reset();
    log.previous = nullptr;
}

} // namespace glossa
