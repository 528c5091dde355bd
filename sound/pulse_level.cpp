#include "pulse_level.h"

#include "pulse_loop.h"
#include "sound_log.h"

#include <pulse/introspect.h>

#include <utility>

namespace bw {

namespace {
double loudest(const pa_cvolume& volume) {
    return double(pa_cvolume_max(&volume)) / PA_VOLUME_NORM;
}
} // namespace

// The server answers in order, so the stream's answer completes the round
// that the sink's answer began.
void PulseLevel::ask(pa_context* context, pa_stream* stream) {
    sinkAnswered_ = false; // nothing left over from a round that never ended
    pa_operation* sink = pa_context_get_sink_info_by_index(
        context, pa_stream_get_device_index(stream),
        [](pa_context*, const pa_sink_info* info, int eol, void* self) {
            guarded([&] { static_cast<PulseLevel*>(self)->sinkAnswered(info, eol); });
        },
        this);
    if (!sink) return;
    letGo(sink);
    letGo(pa_context_get_sink_input_info(
        context, pa_stream_get_index(stream),
        [](pa_context*, const pa_sink_input_info* info, int eol, void* self) {
            guarded([&] { static_cast<PulseLevel*>(self)->streamAnswered(info, eol); });
        },
        this));
}

void PulseLevel::sinkAnswered(const pa_sink_info* info, int eol) {
    if (eol < 0) sinkAnswered_ = false; // the question failed
    if (!info) return;
    level_.sinkName = info->name ? info->name : "";
    level_.sinkDescription = info->description ? info->description : level_.sinkName;
    level_.sinkMuted = info->mute != 0;
    level_.sinkVolume = loudest(info->volume);
    sinkAnswered_ = true;
}

void PulseLevel::streamAnswered(const pa_sink_input_info* info, int eol) {
    if (!info) {
        if (eol < 0) sinkAnswered_ = false;
        return;
    }
    if (!std::exchange(sinkAnswered_, false)) return; // no fresh sink answer to judge with
    level_.streamMuted = info->mute != 0;
    level_.streamVolume = loudest(info->volume);
    judge();
}

void PulseLevel::judge() {
    const Inaudible now = bw::inaudible(level_);
    {
        std::lock_guard lock(mutex_);
        if (now.what == inaudible_.what) return;
        inaudible_ = now;
    }
    qCDebug(soundLog) << "sound server: playing on" << level_.sinkName.c_str()
                      << (now.what.empty() ? "(heard)" : now.what.c_str());
    changed_();
}

Inaudible PulseLevel::inaudible() const {
    std::lock_guard lock(mutex_);
    return inaudible_;
}

void PulseLevel::askDefaultSink(pa_context* context) {
    letGo(pa_context_get_server_info(
        context,
        [](pa_context*, const pa_server_info* info, void* self) {
            guarded([&] {
                if (info && info->default_sink_name)
                    static_cast<PulseLevel*>(self)->defaultSink_(info->default_sink_name);
            });
        },
        this));
}

} // namespace bw
