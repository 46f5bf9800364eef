#pragma once
// A translation request from the interface side: starting its worker and the
// two busy flags, which this file alone sets and clears. Interface thread
// only.
#include "translate/framelink.h"
#include "translate/translatehost.h"
#include "translate/translation.h"

#include <string>

class QWidget;

namespace translate {

// Either command sets both; delivery (or the frame's end) clears both.
extern int g_bEnToZhBusy;
extern int g_bZhToEnBusy;

// Starts the worker for text (checked and substituted) towards host; frame
// gets the result through fnDeliver, on the interface thread. False when no
// worker could be started: nothing is then busy.
bool StartTranslation(QWidget* pFrame, CFrameLink::DeliverFn fnDeliver, TranslationDirection dir, std::string strText,
                      TranslateHost host);

// The request is over, delivered or abandoned.
void EndTranslation();

}  // namespace translate
