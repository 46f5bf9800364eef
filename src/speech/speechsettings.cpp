#include "speech/speechsettings.h"

#include "platform/profile.h"

#include <QDir>

#include <string>

namespace speech {

namespace {
constexpr char kSection[] = "lexiphon";
constexpr char kVolumeKey[] = "pos";
constexpr char kRateKey[] = "rate";
constexpr char kVoiceKey[] = "voice";
constexpr std::size_t kValueBuffer = 80;
// A token id is a long path.
constexpr std::size_t kVoiceBuffer = 1024;
}  // namespace

QString SpeechSettingsPath() {
  // The separator is always added: the root gives "//setting.ini", which
  // names the same file.
  return QDir::currentPath() + QStringLiteral("/setting.ini");
}

SpeechSettings LoadSpeechSettings() {
  const QString path = SpeechSettingsPath();
  SpeechSettings s;
  s.nVolume =
      platform::DecimalToInt(platform::GetPrivateProfileString(kSection, kVolumeKey, "", path, kValueBuffer));
  s.nRate =
      platform::DecimalToInt(platform::GetPrivateProfileString(kSection, kRateKey, "", path, kValueBuffer));
  s.strVoice = platform::GetPrivateProfileString(kSection, kVoiceKey, "", path, kVoiceBuffer);
  return s;
}

void SaveSpeechSettings(const SpeechSettings& settings) {
  const QString path = SpeechSettingsPath();
  platform::WritePrivateProfileString(kSection, kVolumeKey, std::to_string(settings.nVolume), path);
  platform::WritePrivateProfileString(kSection, kRateKey, std::to_string(settings.nRate), path);
  if (!settings.strVoice.empty()) platform::WritePrivateProfileString(kSection, kVoiceKey, settings.strVoice, path);
}

int EffectiveVolume(int nStored) {
  int v = nStored == 0 ? 50 : nStored;
  if (v < 20) v = 20;
  return v;
}

}  // namespace speech
