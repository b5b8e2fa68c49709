// The about box.
#pragma once

namespace vtx {

// Shows the fading about box with the copyright starting at startYear and
// returns when it has been dismissed.
void ShowAboutBox(int startYear);

} // namespace vtx
