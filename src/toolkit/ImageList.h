// An owned list of small icons for a list view.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <unordered_map>
#include "toolkit/Controls.h"
#include "base/Handle.h"

namespace vtx {

namespace traits {
inline void destroy_image_list(HIMAGELIST list) noexcept { ::ImageList_Destroy(list); }
} // namespace traits
using unique_himagelist = unique_resource<traits::null_invalid<HIMAGELIST, traits::destroy_image_list>>;

class TImageList : public TComponent {
public:
    // Icons of size x size pixels (16 at 96 dpi, scaled by the caller).
    explicit TImageList(int size);
    HIMAGELIST Handle() const noexcept { return FList.get(); }
    int Count() const noexcept { return ::ImageList_GetImageCount(FList.get()); }
    int IconSize() const noexcept { return FSize; }
    // Another size (a move to a monitor of another dpi) empties the list; the
    // handle stays, so the lists that show it need only be told to measure again.
    void SetIconSize(int size) noexcept;
    // Adds a copy of the icon; -1 when there is no icon or it has no image.
    int AddIcon(HICON icon) noexcept;
    // The image of an icon handle that lives at least as long as the list's
    // contents: added on its first use, its index again after that.
    int IndexOf(HICON icon);
    void Clear() noexcept;

private:
    int FSize;
    unique_himagelist FList;
    std::unordered_map<HICON, int> FIndexOf;
};

} // namespace vtx
