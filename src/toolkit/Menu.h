// Main and popup menus built in code: captions with access keys, tags, check
// marks, and a click when an item's submenu is about to open.
#pragma once
#include "toolkit/Controls.h"
#include "base/Handle.h"
#include <memory>

namespace vtx {

class TMenuItem : public TComponent {
public:
    TMenuItem(const std::wstring& name, const std::wstring& caption, std::intptr_t tag = 0);
    ~TMenuItem() override;

    const std::wstring& Caption() const noexcept { return FCaption; }
    bool Checked() const noexcept { return FChecked; }
    void SetChecked(bool checked);
    bool IsSeparator() const noexcept { return FCaption == L"-"; }
    WORD Command() const noexcept { return FCommand; }
    // Adds a child; the item then opens a submenu. Returns the child.
    TMenuItem* Add(std::unique_ptr<TMenuItem> child);
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
    HMENU Submenu() const noexcept { return FSubmenu; }

    TNotifyEvent OnClick;

    static TMenuItem* FromCommand(WORD command) noexcept;
    static TMenuItem* FromSubmenu(HMENU menu) noexcept;

    // Builds the platform menu for this item into parent.
    void AppendTo(HMENU parent);

private:
    std::wstring FCaption;
    bool FChecked = false;
    WORD FCommand;
    HMENU FParentMenu = nullptr;
    HMENU FSubmenu = nullptr;  // owned by the parent menu once appended
    std::vector<std::unique_ptr<TMenuItem>> FItems;
};

// The form's menu bar.
class TMainMenu : public TComponent {
public:
    TMainMenu();
    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    // Creates the platform menu; call after all items are added.
    void Build();
    HMENU Handle() const noexcept { return FMenu.get(); }

private:
    unique_hmenu FMenu;
    std::vector<std::unique_ptr<TMenuItem>> FItems;
};

// A popup menu that opens on a right click of the control that uses it.
class TPopupMenu : public TComponent {
public:
    TPopupMenu();
    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    void Build();
    // Opens at a screen position and handles the chosen command.
    void Popup(HWND owner, int x, int y);
    HMENU Handle() const noexcept { return FMenu.get(); }
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }

private:
    unique_hmenu FMenu;
    std::vector<std::unique_ptr<TMenuItem>> FItems;
};

} // namespace vtx
