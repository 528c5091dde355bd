#include "dbus_log.h"

namespace bw {
Q_LOGGING_CATEGORY(dbusLog, "bellwarden.dbus", QtInfoMsg)
} // namespace bw
