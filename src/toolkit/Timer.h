// A timer whose ticks come through the message loop.
#pragma once
#include <windows.h>
#include "toolkit/Controls.h"

namespace vtx {

class TTimer : public TComponent {
public:
    TTimer();
    ~TTimer() override;

    UINT Interval() const noexcept { return FInterval; }
    void SetInterval(UINT ms);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool enabled);
    // The tick handler; without one the timer does not run.
    void SetOnTimer(TNotifyEvent handler);
    const TNotifyEvent& OnTimer() const noexcept { return FOnTimer; }
    // Runs the handler as a tick would (tests, and the first direct call).
    void Tick() noexcept;

private:
    void Update();
    UINT FInterval = 1000;
    bool FEnabled = true;
    bool FRunning = false;
    UINT_PTR FId;
    TNotifyEvent FOnTimer;
};

// Called by the application window for WM_TIMER; true when it was a TTimer's.
bool DispatchTimer(UINT_PTR id) noexcept;

} // namespace vtx
