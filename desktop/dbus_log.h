#pragma once
// What the desktop services on the session bus do (screen-saver inhibit,
// notices), as debug lines: QT_LOGGING_RULES="bellwarden.dbus.debug=true".

#include <QLoggingCategory>

namespace bw {
Q_DECLARE_LOGGING_CATEGORY(dbusLog)
} // namespace bw
