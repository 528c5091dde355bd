#pragma once
// How the display server is kept from blanking the screen (the X server's own
// saver, Wayland's idle inhibit), as debug lines:
// QT_LOGGING_RULES="bellwarden.screen.debug=true".

#include <QLoggingCategory>

namespace bw {
Q_DECLARE_LOGGING_CATEGORY(screenLog)
} // namespace bw
