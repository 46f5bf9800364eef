#pragma once
// Resource and command identifiers. The framework's own identifiers keep the
// framework's values so that stored profiles and routing tables line up.

namespace res {

constexpr unsigned IDR_MAINFRAME = 128;
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_SPEECH_SETTINGS = 133;
constexpr unsigned IDD_TRANSLATE_WAIT = 146;

constexpr unsigned IDS_SOCKETS_INIT_FAILED = 104;

// Framework command identifiers.
constexpr unsigned ID_SEPARATOR = 0;
constexpr unsigned ID_FILE_NEW = 57600;
constexpr unsigned ID_FILE_OPEN = 57601;
constexpr unsigned ID_FILE_SAVE = 57603;
constexpr unsigned ID_FILE_SAVE_AS = 57604;
constexpr unsigned ID_APP_EXIT = 57665;
constexpr unsigned ID_APP_ABOUT = 57664;
constexpr unsigned ID_EDIT_UNDO = 57643;
constexpr unsigned ID_EDIT_CUT = 57635;
constexpr unsigned ID_EDIT_COPY = 57634;
constexpr unsigned ID_EDIT_PASTE = 57637;
constexpr unsigned ID_VIEW_TOOLBAR = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
constexpr unsigned ID_NEXT_PANE = 57680;
constexpr unsigned ID_PREV_PANE = 57681;

// The program's own commands.
constexpr unsigned ID_SPEECH_PAUSE = 32772;
constexpr unsigned ID_SPEECH_SPEAK = 32773;
constexpr unsigned ID_SPEECH_SETTINGS = 32774;
constexpr unsigned ID_TRANSLATE_EN_TO_ZH = 32775;
constexpr unsigned ID_TRANSLATE_ZH_TO_EN = 32776;
constexpr unsigned ID_HELP_TOPICS = 32796;

// Status bar indicators.
constexpr unsigned ID_INDICATOR_CAPS = 59137;
constexpr unsigned ID_INDICATOR_NUM = 59138;
constexpr unsigned ID_INDICATOR_SCRL = 59139;

// Framework strings.
constexpr unsigned AFX_IDS_APP_TITLE = 57344;
constexpr unsigned AFX_IDS_IDLEMESSAGE = 57345;
constexpr unsigned AFX_IDS_OPENFILE = 61440;
constexpr unsigned AFX_IDS_SAVEFILE = 61441;
constexpr unsigned AFX_IDS_ALLFILTER = 61442;
constexpr unsigned AFX_IDS_UNTITLED = 61443;
constexpr unsigned AFX_IDP_FAILED_TO_OPEN_DOC = 61697;
constexpr unsigned AFX_IDP_FAILED_TO_SAVE_DOC = 61698;
constexpr unsigned AFX_IDP_ASK_TO_SAVE = 61699;
constexpr unsigned AFX_IDP_FAILED_TO_CREATE_DOC = 61700;
constexpr unsigned AFX_IDP_FILE_TOO_LARGE = 61701;
// File error texts (%1 is the file's full path).
constexpr unsigned AFX_IDP_FILE_GENERIC = 61704;
constexpr unsigned AFX_IDP_FILE_NOT_FOUND = 61705;
constexpr unsigned AFX_IDP_FILE_BAD_PATH = 61706;
constexpr unsigned AFX_IDP_FILE_ACCESS_DENIED = 61708;
constexpr unsigned AFX_IDP_FILE_IS_DIRECTORY = 61709;
constexpr unsigned AFX_IDP_FILE_SHARING = 61712;
constexpr unsigned AFX_IDP_FILE_DISK_FULL = 61714;
constexpr unsigned AFX_IDP_FILE_READ_ERROR = 61715;
constexpr unsigned AFX_IDP_FILE_WRITE_ERROR = 61716;

// Toolbar 128: seventeen slots, 0 is a separator.
constexpr unsigned kToolbarSlots[] = {
    ID_FILE_NEW,     ID_FILE_OPEN,          ID_FILE_SAVE_AS,       0,
    ID_EDIT_CUT,     ID_EDIT_COPY,          ID_EDIT_PASTE,         0,
    ID_SPEECH_SPEAK, ID_SPEECH_PAUSE,       0,                     ID_TRANSLATE_EN_TO_ZH,
    ID_TRANSLATE_ZH_TO_EN, 0,               ID_SPEECH_SETTINGS,    0,
    ID_APP_ABOUT};

}  // namespace res
