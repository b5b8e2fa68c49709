#include "toolkit/ImageList.h"

namespace vtx {

TImageList::TImageList(int size) : FList(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 16)) {}

TImageList::~TImageList() {
    if (FList) traits::destroy_image_list(FList);
}

int TImageList::AddIcon(HICON icon) noexcept {
    if (!icon || !FList) return -1;
    return ::ImageList_AddIcon(FList, icon);
}

void TImageList::Clear() noexcept {
    if (FList) ::ImageList_RemoveAll(FList);
}

} // namespace vtx
