#include "toolkit/Menu.h"
#include <map>
#include "toolkit/Form.h"

namespace vtx {

namespace {
std::map<WORD, TMenuItem*>& Commands() {
    static std::map<WORD, TMenuItem*> commands;
    return commands;
}
std::map<HMENU, TMenuItem*>& Submenus() {
    static std::map<HMENU, TMenuItem*> submenus;
    return submenus;
}
WORD gNextCommand = 100;
} // namespace

TMenuItem::TMenuItem(const std::wstring& name, const std::wstring& caption, std::intptr_t tag)
    : FCaption(caption), FCommand(gNextCommand++) {
    Name = name;
    Tag = tag;
    Commands()[FCommand] = this;
}

TMenuItem::~TMenuItem() {
    Commands().erase(FCommand);
    if (FSubmenu) Submenus().erase(FSubmenu);
}

TMenuItem* TMenuItem::FromCommand(WORD command) noexcept {
    auto it = Commands().find(command);
    return it == Commands().end() ? nullptr : it->second;
}

TMenuItem* TMenuItem::FromSubmenu(HMENU menu) noexcept {
    auto it = Submenus().find(menu);
    return it == Submenus().end() ? nullptr : it->second;
}

void TMenuItem::SetChecked(bool checked) {
    FChecked = checked;
    if (FParentMenu) ::CheckMenuItem(FParentMenu, FCommand, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> child) {
    FItems.push_back(std::move(child));
    return FItems.back().get();
}

void TMenuItem::AppendTo(HMENU parent) {
    FParentMenu = parent;
    if (IsSeparator()) {
        ::AppendMenuW(parent, MF_SEPARATOR, 0, nullptr);
        return;
    }
    if (!FItems.empty()) {
        FSubmenu = ::CreatePopupMenu();
        Submenus()[FSubmenu] = this;
        for (auto& child : FItems) child->AppendTo(FSubmenu);
        ::AppendMenuW(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(FSubmenu), FCaption.c_str());
    } else {
        ::AppendMenuW(parent, MF_STRING | (FChecked ? MF_CHECKED : 0), FCommand, FCaption.c_str());
    }
}

TMainMenu::TMainMenu() : FMenu(::CreateMenu()) {}

TMenuItem* TMainMenu::Add(std::unique_ptr<TMenuItem> item) {
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TMainMenu::Build() {
    for (auto& item : FItems) item->AppendTo(FMenu.get());
}

TPopupMenu::TPopupMenu() : FMenu(::CreatePopupMenu()) {}

TMenuItem* TPopupMenu::Add(std::unique_ptr<TMenuItem> item) {
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TPopupMenu::Build() {
    for (auto& item : FItems) item->AppendTo(FMenu.get());
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
    ::SetForegroundWindow(owner);
    UINT command = static_cast<UINT>(
        ::TrackPopupMenu(FMenu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (command) {
        if (auto* form = dynamic_cast<TForm*>(TControl::FromHandle(owner))) form->DispatchMenuCommand(static_cast<WORD>(command));
    }
}

} // namespace vtx
