#pragma once
// Collects every message logged while it is in scope, formatted as standard
// error would have them ("bellwarden: ..." for the program's own category).

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

namespace bw::test {

class MessageLog {
  public:
    MessageLog() {
        active() = this;
        previous_ = qInstallMessageHandler(&MessageLog::handle);
    }
    ~MessageLog() {
        qInstallMessageHandler(previous_);
        active() = nullptr;
    }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Every line so far, each ended by a newline, as standard error had them.
    std::string text() const {
        std::string all;
        for (const QString& line : lines)
            all += line.toStdString() + "\n";
        return all;
    }
    QStringList lines;

  private:
    static MessageLog*& active() {
        static MessageLog* log = nullptr;
        return log;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (MessageLog* log = active()) log->lines << qFormatLogMessage(type, context, message);
    }
    QtMessageHandler previous_ = nullptr;
};

} // namespace bw::test
