#include "sound_log.h"

namespace bw {
// Debug lines are off unless asked for.
Q_LOGGING_CATEGORY(soundLog, "bellwarden.sound", QtInfoMsg)
} // namespace bw
