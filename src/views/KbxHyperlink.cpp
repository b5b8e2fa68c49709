#include "views/KbxHyperlink.h"
#include <shellapi.h>
#include <memory>
#include "system/DynamicCalls.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

namespace vtx {

namespace {
std::unique_ptr<TLabelToLinkEventHandlers> gLinkEventHandlers;

void ParentMouseMoveOf(TControl* control) {
    if (control && control->Parent()) LinkEventHandlers().ParentMouseMove(control->Parent(), 0, 0);
}
} // namespace

TLabelToLinkEventHandlers& LinkEventHandlers() {
    if (!gLinkEventHandlers) gLinkEventHandlers = std::make_unique<TLabelToLinkEventHandlers>();
    return *gLinkEventHandlers;
}

void TLabelToLinkEventHandlers::ParentMouseMove(TComponent* sender, int, int) {
    auto* parent = dynamic_cast<TWinControl*>(sender);
    if (!parent) return;
    // A copy: nothing here should change the list, but handlers may.
    std::vector<TControl*> children = parent->Controls();
    for (TControl* child : children) {
        auto* label = dynamic_cast<TLabel*>(child);
        if (label && !label->Hint.empty()) {
            label->SetFontStyle(label->FontStyle() & ~fsUnderline);
            label->SetFontColor(kLinkRestColor);
        }
    }
}

void TLabelToLinkEventHandlers::LabelMouseMove(TComponent* sender, int, int) {
    auto* label = dynamic_cast<TLabel*>(sender);
    if (!label) return;
    ParentMouseMoveOf(label);
    label->SetFontStyle(label->FontStyle() | fsUnderline);
    label->SetFontColor(kLinkLitColor);
}

void TLabelToLinkEventHandlers::LabelClick(TComponent* sender) {
    auto* label = dynamic_cast<TLabel*>(sender);
    if (!label) return;
    ParentMouseMoveOf(label);
    ShellOpen(label->Hint);
}

void LabelToLink(TLabel& label, const std::wstring& target) {
    label.Cursor = crHandPoint;
    label.Hint = target;
    TLabelToLinkEventHandlers* handlers = &LinkEventHandlers();
    label.OnClick = [handlers](TComponent* sender) { handlers->LabelClick(sender); };
    label.OnMouseMove = [handlers](TComponent* sender, int x, int y) { handlers->LabelMouseMove(sender, x, y); };
    TWinControl* parent = label.Parent();
    if (dynamic_cast<TForm*>(parent) || dynamic_cast<TPanel*>(parent) || dynamic_cast<TTabSheet*>(parent)) {
        parent->OnMouseMove = [handlers](TComponent* sender, int x, int y) {
            handlers->ParentMouseMove(sender, x, y);
        };
    }
}

std::function<void(const std::wstring& target)>& ShellOpenSeam() {
    static std::function<void(const std::wstring&)> seam;
    return seam;
}

void ShellOpen(const std::wstring& target) {
    if (auto& seam = ShellOpenSeam()) {
        seam(target);
        return;
    }
    dyn::ShellExecuteW(Application().Handle(), L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace vtx
