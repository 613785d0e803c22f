#pragma once

namespace qv {

// The start-up hook of a program with graphic controls (Program::create_default_fonts): the
// dialog engine's default fonts, and the graphic entries connected to the dialog engine so
// that kind-14 controls get their canvas and are painted from it.
void SurfaceStartUp();

}  // namespace qv
