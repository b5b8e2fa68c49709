#include "toolkit/ImageList.h"

namespace vtx {

TImageList::TImageList(int size)
    : FSize(size), FList(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 16)) {}

void TImageList::SetIconSize(int size) noexcept {
    FIndexOf.clear();
    FSize = size;
    if (FList) ::ImageList_SetIconSize(FList.get(), size, size);
}

int TImageList::AddIcon(HICON icon) noexcept {
    if (!icon || !FList) return -1;
    return ::ImageList_AddIcon(FList.get(), icon);
}

int TImageList::IndexOf(HICON icon) {
    if (!icon) return -1;
    if (auto found = FIndexOf.find(icon); found != FIndexOf.end()) return found->second;
    int index = AddIcon(icon);
    FIndexOf.emplace(icon, index);
    return index;
}

void TImageList::Clear() noexcept {
    FIndexOf.clear();
    if (FList) ::ImageList_RemoveAll(FList.get());
}

} // namespace vtx
