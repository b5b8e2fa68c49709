// NT device paths, as the kernel names a process's image without opening the
// process, turned into the drive-letter and UNC paths the rest of the program
// reads files by. Platform-free.
#pragma once
#include <string>
#include <vector>

namespace vtx {

// One drive letter and the device it stands for ("C:" and
// "\Device\HarddiskVolume3"), as QueryDosDeviceW gives it.
struct TDosDevice {
    std::wstring Drive;
    std::wstring Device;
};

// The Win32 path of an NT path: a volume device becomes its drive letter, the
// network redirector (\Device\Mup) a UNC path, and the object-manager forms
// \??\ and \\?\ lose their prefix. Empty when no drive letter stands for the
// device: such a path cannot be read through the usual file calls.
std::wstring DosPathFromNtPath(const std::wstring& ntPath, const std::vector<TDosDevice>& devices);

} // namespace vtx
