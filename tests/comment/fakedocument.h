// SPDX-License-Identifier: MIT
#pragma once

#include "ide/idedocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace glossa {

// An in-memory document that records every call and refuses ranges outside its bytes.
class FakeDocument : public IdeDocument {
public:
    // Text encoded by Qt's own converters, not by the code under test.
    FakeDocument(const QString& text, DocEncoding docEncoding)
        : bytes(encode(text, docEncoding)), bytesEncoding(docEncoding) {}
    FakeDocument(const QByteArray& docBytes, DocEncoding docEncoding)
        : bytes(docBytes), bytesEncoding(docEncoding) {}

    static QByteArray encode(const QString& text, DocEncoding as) {
        return as == DocEncoding::Utf8 ? text.toUtf8() : text.toLatin1();
    }

    DocEncoding encoding() const override { return bytesEncoding; }
    int length() override { return int(bytes.size()); }
    bool readOnly() override { return reportedReadOnly; }

    QByteArray readRange(int start, int end) override {
        calls.append(QStringLiteral("read %1 %2").arg(start).arg(end));
        if (start < 0 || end < start || end > bytes.size())
            return {};
        return bytes.mid(start, end - start);
    }

    using IdeDocument::InsertAtPosition;
    using IdeDocument::ReplaceRange;
    bool ReplaceRange(int start, int end, const QByteArray& encoded) override {
        calls.append(QStringLiteral("replace %1 %2").arg(start).arg(end));
        if (start < 0 || end < start || end > bytes.size()) {
            ++invalidCalls;
            return false;
        }
        if (failWrites)
            return false;
        if (!ignoreWrites)
            bytes.replace(start, end - start, encoded);
        return true;
    }

    bool InsertAtPosition(int position, const QByteArray& encoded) override {
        calls.append(QStringLiteral("insert %1").arg(position));
        if (position < 0 || position > bytes.size()) {
            ++invalidCalls;
            return false;
        }
        if (failWrites)
            return false;
        if (!ignoreWrites)
            bytes.insert(position, encoded);
        return true;
    }

    void PlaceCaret(int position) override {
        calls.append(QStringLiteral("caret %1").arg(position));
        if (position < 0 || position > bytes.size())
            ++invalidCalls;
        caret = position;
    }

    QString text() const {
        return bytesEncoding == DocEncoding::Utf8 ? QString::fromUtf8(bytes)
                                                  : QString::fromLatin1(bytes);
    }

    // Calls other than reads, in order.
    QStringList writes() const {
        QStringList out;
        for (const QString& call : calls)
            if (!call.startsWith(QStringLiteral("read")))
                out.append(call);
        return out;
    }

    QByteArray bytes;
    DocEncoding bytesEncoding;
    int caret = -1;
    bool failWrites = false;
    bool reportedReadOnly = false; // reported by readOnly()
    bool ignoreWrites = false; // writes are taken but change nothing, as a read-only editor does
    int invalidCalls = 0;
    QStringList calls;
};

} // namespace glossa
