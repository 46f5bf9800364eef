#pragma once
// The program's resource and command identifiers. The framework's standard
// ids are visible here too, so the program names every id as res::.
#include "framework/afxres.h"

namespace res {

using namespace fw::ids;

constexpr unsigned IDR_MAINFRAME = 128;
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_SPEECH_SETTINGS = 133;
constexpr unsigned IDD_TRANSLATE_WAIT = 146;

constexpr unsigned IDS_SOCKETS_INIT_FAILED = 104;

// The program's own commands.
constexpr unsigned ID_SPEECH_PAUSE = 32772;
constexpr unsigned ID_SPEECH_SPEAK = 32773;
constexpr unsigned ID_SPEECH_SETTINGS = 32774;
constexpr unsigned ID_TRANSLATE_EN_TO_ZH = 32775;
constexpr unsigned ID_TRANSLATE_ZH_TO_EN = 32776;
constexpr unsigned ID_HELP_TOPICS = 32796;
constexpr unsigned ID_SPEECH_STOP = 32777;
constexpr unsigned ID_SPEECH_SPEAK_SELECTION = 32778;
constexpr unsigned ID_SPEECH_SAVE_AUDIO = 32779;

// Toolbar 128: seventeen slots, 0 is a separator.
constexpr unsigned kToolbarSlots[] = {
    ID_FILE_NEW,     ID_FILE_OPEN,          ID_FILE_SAVE_AS,       0,
    ID_EDIT_CUT,     ID_EDIT_COPY,          ID_EDIT_PASTE,         0,
    ID_SPEECH_SPEAK, ID_SPEECH_PAUSE,       0,                     ID_TRANSLATE_EN_TO_ZH,
    ID_TRANSLATE_ZH_TO_EN, 0,               ID_SPEECH_SETTINGS,    0,
    ID_APP_ABOUT};

}  // namespace res
