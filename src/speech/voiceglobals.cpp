#include "speech/voiceglobals.h"

namespace speech {

CRef<ISpVoice> g_pVoice;
HRESULT g_hrSpeech = S_OK;
int g_nVolume = 0;

}  // namespace speech
