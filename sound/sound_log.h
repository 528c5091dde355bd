#pragma once
// The sound side's messages: what the chair is told as warnings, and what the
// bell does (routes chosen, devices opened and why they stopped) as debug
// lines, shown with QT_LOGGING_RULES="bellwarden.sound.debug=true".

#include <QLoggingCategory>

namespace bw {
Q_DECLARE_LOGGING_CATEGORY(soundLog)
} // namespace bw
