#include "toolkit/Timer.h"
#include <map>
#include "toolkit/Application.h"

namespace vtx {

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
    static std::map<UINT_PTR, TTimer*> timers;
    return timers;
}
UINT_PTR gNextId = 1000;
} // namespace

TTimer::TTimer() : FId(gNextId++) { Timers()[FId] = this; }

TTimer::~TTimer() {
    FEnabled = false;
    Update();
    Timers().erase(FId);
}

void TTimer::SetInterval(UINT ms) {
    FInterval = ms;
    if (FRunning) {
        FRunning = false;
        ::KillTimer(Application().Handle(), FId);
    }
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    FEnabled = enabled;
    Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    Update();
}

void TTimer::Update() {
    bool run = FEnabled && FInterval > 0 && static_cast<bool>(FOnTimer) && Application().Handle();
    if (run && !FRunning) {
        FRunning = ::SetTimer(Application().Handle(), FId, FInterval, nullptr) != 0;
    } else if (!run && FRunning) {
        ::KillTimer(Application().Handle(), FId);
        FRunning = false;
    }
}

void TTimer::Tick() noexcept {
    FireEvent(FOnTimer, this);
}

bool DispatchTimer(UINT_PTR id) noexcept {
    auto it = Timers().find(id);
    if (it == Timers().end()) return false;
    TTimer* timer = it->second;
    if (timer->Enabled() && timer->OnTimer()) timer->Tick();
    return true;
}

} // namespace vtx
