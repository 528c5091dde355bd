#include "window_log.h"

namespace bw {
Q_LOGGING_CATEGORY(windowLog, "bellwarden")
} // namespace bw
