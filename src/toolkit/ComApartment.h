// The user-interface thread's single-threaded COM apartment, which the shell
// calls (SHGetFileInfoW, ShellExecuteW) require of their caller.
#pragma once
#include <objbase.h>

namespace vtx {

class TComApartment {
public:
    TComApartment() noexcept
        : FResult(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;
    // Every successful call, S_FALSE included, is paired with one uninitialize.
    ~TComApartment() {
        if (SUCCEEDED(FResult)) ::CoUninitialize();
    }
    // False when the thread already lives in another apartment; the shell then works as it can.
    bool Entered() const noexcept { return SUCCEEDED(FResult); }

private:
    HRESULT FResult;
};

} // namespace vtx
