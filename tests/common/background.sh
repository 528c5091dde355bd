# Processes and folders a test script starts or makes, stopped and removed on
# exit; sourced by each helper that starts something, so one trap covers all.
# What they start runs in a UTF-8 locale of its own, so that Qt has nothing to
# say about the locale.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

if [ -z "${background_sourced:-}" ]; then
    background_sourced=1
    background_pids=()
    background_dirs=()
    stop_background() {
        # CONT as well: a process a test stopped would never act on the TERM.
        for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null && kill -CONT "$pid" 2>/dev/null || true; done
        for pid in "${background_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
        rm -rf "${background_dirs[@]}"
    }
    trap stop_background EXIT
fi
