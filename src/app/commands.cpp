#include "app/commands.h"

#include "app/resource.h"

namespace res {

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
