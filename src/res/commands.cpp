#include "res/commands.h"

#include "res/resource.h"

namespace res {

namespace {

constexpr MenuItemData kFile[] = {
    {ID_FILE_NEW, "新建(&N)\tCtrl+N"},
    {ID_FILE_OPEN, "打开(&O)...\tCtrl+O"},
    {ID_FILE_SAVE_AS, "另存为(&A)..."},
    {ID_APP_EXIT, "退出(&X)"},
};
constexpr MenuItemData kEdit[] = {
    {ID_EDIT_UNDO, "撤消(&U)\tCtrl+Z"}, {0, nullptr},
    {ID_EDIT_CUT, "剪切(&T)\tCtrl+X"},  {ID_EDIT_COPY, "复制(&C)\tCtrl+C"},
    {ID_EDIT_PASTE, "粘贴(&P)\tCtrl+V"},
};
constexpr MenuItemData kView[] = {
    {ID_VIEW_TOOLBAR, "工具栏(&T)"},
    {ID_VIEW_STATUS_BAR, "状态栏(&S)"},
};
constexpr MenuItemData kSpeech[] = {
    {ID_SPEECH_SPEAK, "发音(&Z)"},
    {ID_SPEECH_SPEAK_SELECTION, "朗读选中内容(&R)\tF5"},
    {ID_SPEECH_PAUSE, "暂停(&X)"},
    {ID_SPEECH_STOP, "停止(&S)\tEsc"},
    {0, nullptr},
    {ID_SPEECH_SAVE_AUDIO, "保存语音(&V)..."},
    {ID_SPEECH_SETTINGS, "发音设置(&D)"},
};
constexpr MenuItemData kTranslate[] = {
    {ID_TRANSLATE_EN_TO_ZH, "英译汉(&M)"},
    {ID_TRANSLATE_ZH_TO_EN, "汉译英(&N)"},
};
constexpr MenuItemData kHelp[] = {
    {ID_HELP_TOPICS, "帮助主题(&T)"},
    {ID_APP_ABOUT, "关于 Lexiphon(&A)..."},
};

constexpr PopupData kMenu[] = {
    {"文件(&F)", kFile}, {"编辑(&E)", kEdit},      {"查看(&V)", kView},
    {"语音(&W)", kSpeech}, {"翻译(&T)", kTranslate}, {"帮助(&H)", kHelp},
};

constexpr AccelData kAccel[] = {
    {Qt::ControlModifier, Qt::Key_N, ID_FILE_NEW},
    {Qt::ControlModifier, Qt::Key_O, ID_FILE_OPEN},
    {Qt::ControlModifier, Qt::Key_S, ID_FILE_SAVE},
    {Qt::ControlModifier, Qt::Key_Z, ID_EDIT_UNDO},
    {Qt::ControlModifier, Qt::Key_X, ID_EDIT_CUT},
    {Qt::ControlModifier, Qt::Key_C, ID_EDIT_COPY},
    {Qt::ControlModifier, Qt::Key_V, ID_EDIT_PASTE},
    {Qt::AltModifier, Qt::Key_Backspace, ID_EDIT_UNDO},
    {Qt::ShiftModifier, Qt::Key_Delete, ID_EDIT_CUT},
    {Qt::ControlModifier, Qt::Key_Insert, ID_EDIT_COPY},
    {Qt::ShiftModifier, Qt::Key_Insert, ID_EDIT_PASTE},
    {Qt::NoModifier, Qt::Key_F5, ID_SPEECH_SPEAK_SELECTION},
    {Qt::NoModifier, Qt::Key_F6, ID_NEXT_PANE},
    {Qt::ShiftModifier, Qt::Key_F6, ID_PREV_PANE},
    // Only while the voice has a text: Stop is off otherwise, and Esc then
    // reaches the window as before.
    {Qt::NoModifier, Qt::Key_Escape, ID_SPEECH_STOP},
};

}  // namespace

std::span<const PopupData> MainMenu() { return kMenu; }
std::span<const AccelData> MainAccelerators() { return kAccel; }

QString CommandIconPath(unsigned nID) {
  switch (nID) {
    case ID_FILE_NEW: return QStringLiteral(":/toolbar/new.svg");
    case ID_FILE_OPEN: return QStringLiteral(":/toolbar/open.svg");
    case ID_FILE_SAVE_AS: return QStringLiteral(":/toolbar/saveas.svg");
    case ID_EDIT_CUT: return QStringLiteral(":/toolbar/cut.svg");
    case ID_EDIT_COPY: return QStringLiteral(":/toolbar/copy.svg");
    case ID_EDIT_PASTE: return QStringLiteral(":/toolbar/paste.svg");
    case ID_SPEECH_SPEAK: return QStringLiteral(":/toolbar/speak.svg");
    case ID_SPEECH_PAUSE: return QStringLiteral(":/toolbar/pause.svg");
    case ID_TRANSLATE_EN_TO_ZH: return QStringLiteral(":/toolbar/en2zh.svg");
    case ID_TRANSLATE_ZH_TO_EN: return QStringLiteral(":/toolbar/zh2en.svg");
    case ID_SPEECH_SETTINGS: return QStringLiteral(":/toolbar/settings.svg");
    case ID_APP_ABOUT: return QStringLiteral(":/toolbar/about.svg");
    default: return {};
  }
}

}  // namespace res
