#pragma once
// The process's one voice and what the speech commands keep about it.
#include "platform/speech/speechapi.h"

namespace speech {

// Made by the main frame's pre-create step, released by its destructor.
extern CRef<ISpVoice> g_pVoice;
// The voice's creation, then each Speak: while negative nothing more is
// spoken.
extern HRESULT g_hrSpeech;
// The volume half of the settings; the voice gets its low 16 bits.
extern int g_nVolume;

}  // namespace speech
