#include "views/KbxViewAbout.h"

namespace vtx {

void ShowAboutBox(int) {}

} // namespace vtx
