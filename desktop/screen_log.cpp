#include "screen_log.h"

namespace bw {
Q_LOGGING_CATEGORY(screenLog, "bellwarden.screen", QtInfoMsg)
} // namespace bw
