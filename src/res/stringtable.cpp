#include "res/stringtable.h"

#include "res/resource.h"

#include <QHash>

namespace res {

namespace {

// The program's own texts; the framework's standard ones come from its table.
const QHash<unsigned, QString>& Table() {
  static const QHash<unsigned, QString> table = {
      {IDS_SOCKETS_INIT_FAILED, QStringLiteral("Windows 通信端口初始化失败。")},
      {AFX_IDS_APP_TITLE, QStringLiteral("Lexiphon")},
      {IDR_MAINFRAME, QStringLiteral("Lexiphon\n\nLexiph\n\n\nLexiphon.Document\nLexiph Document")},
      // Commands: status prompt, then "\n" and the tooltip.
      {ID_SPEECH_PAUSE, QStringLiteral("暂停发音\n暂停")},
      {ID_SPEECH_SPEAK, QStringLiteral("发音\n发音")},
      {ID_SPEECH_SETTINGS, QStringLiteral("发音设置\n发音设置")},
      {ID_SPEECH_STOP, QStringLiteral("停止发音\n停止")},
      {ID_SPEECH_SPEAK_SELECTION, QStringLiteral("朗读选中的文字\n朗读选中内容")},
      {ID_SPEECH_SAVE_AUDIO, QStringLiteral("把朗读的语音保存为声音文件\n保存语音")},
      {ID_TRANSLATE_EN_TO_ZH, QStringLiteral("英译汉\n英译汉")},
      {ID_TRANSLATE_ZH_TO_EN, QStringLiteral("汉译英\n汉译英")},
  };
  return table;
}

QString ProgramString(unsigned id) {
  const auto it = Table().constFind(id);
  return it == Table().constEnd() ? QString() : *it;
}

// Every program that links the resources gets its texts in the framework,
// whatever it links first.
const bool g_bInstalled = (InstallStringTable(), true);

}  // namespace

void InstallStringTable() { fw::SetStringLookup(&ProgramString); }

}  // namespace res
