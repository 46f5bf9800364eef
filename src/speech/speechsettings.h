#pragma once
// Volume, rate and voice, kept in setting.ini in the current directory
// (looked up anew at each read and write): section "lexiphon", keys "pos"
// (the volume), "rate" and "voice" (the voice's token id).
#include <QString>

#include <string>

namespace speech {

struct SpeechSettings {
  int nVolume = 0;  // 0 means not set
  int nRate = 0;
  std::string strVoice;  // UTF-8; "" means not chosen (the default voice)
};

// The current directory's setting.ini.
QString SpeechSettingsPath();

// A missing file, section or key, or text that is no number, reads as 0.
SpeechSettings LoadSpeechSettings();
// Creates the file if needed and keeps everything else in it; a voice never
// chosen leaves its key as it is. Failures are ignored (the values stay in force until the program ends).
void SaveSpeechSettings(const SpeechSettings& settings);

// What a volume read from the file means: 0 is not set (50), below 20 is 20.
int EffectiveVolume(int nStored);

}  // namespace speech
