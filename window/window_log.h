#pragma once
// The program's own messages (errors of the window and of start-up).

#include <QLoggingCategory>

namespace bw {
Q_DECLARE_LOGGING_CATEGORY(windowLog)
} // namespace bw
