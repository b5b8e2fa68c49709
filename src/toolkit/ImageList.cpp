#include "toolkit/ImageList.h"

namespace vtx {

TImageList::TImageList(int size) : FList(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 16)) {}

int TImageList::AddIcon(HICON icon) noexcept {
    if (!icon || !FList) return -1;
    return ::ImageList_AddIcon(FList.get(), icon);
}

void TImageList::Clear() noexcept {
    if (FList) ::ImageList_RemoveAll(FList.get());
}

} // namespace vtx
