// Save Speech: the input pane (or its selection) rendered to a sound file.
#include "frame/mainframe.h"

namespace frame {

void CMainFrame::OnSaveSpeech() {}

}  // namespace frame
