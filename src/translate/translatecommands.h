#pragma once
// The two translation commands of the main frame. Their handlers, update
// handlers and the frame's handling of a worker's result are CMainFrame
// members, defined in translatecommands.cpp.

namespace translate {

// Either command sets both; delivery clears both. Interface thread only.
extern int g_bEnToZhBusy;
extern int g_bZhToEnBusy;

}  // namespace translate
