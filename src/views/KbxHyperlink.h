// Labels that act as links: hand cursor, blue and underlined under the
// mouse, black again when the mouse moves over the parent, and the target
// opened through the shell when clicked.
#pragma once
#include <functional>
#include <string>
#include "toolkit/Label.h"

namespace vtx {

inline constexpr COLORREF kLinkLitColor = 0xFF0000; // blue, in blue-green-red order
inline constexpr COLORREF kLinkRestColor = 0;       // black

// One object for the whole process; every link and parent is bound to it.
class TLabelToLinkEventHandlers {
public:
    void LabelClick(TComponent* sender);
    void LabelMouseMove(TComponent* sender, int x, int y);
    void ParentMouseMove(TComponent* sender, int x, int y);
};

// The shared handler object, made on the first call.
TLabelToLinkEventHandlers& LinkEventHandlers();

// Makes label a link to target (kept in its hint); the label's look is left
// as designed until the mouse first moves over it or its parent.
void LabelToLink(TLabel& label, const std::wstring& target);

// Hands target to the shell's "open" verb; failures are not reported.
void ShellOpen(const std::wstring& target);
// Tests replace the shell here; empty means ShellExecuteW.
std::function<void(const std::wstring& target)>& ShellOpenSeam();

} // namespace vtx
