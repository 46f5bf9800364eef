#pragma once
// The framework's own identifiers: standard commands, status bar indicators,
// control ids and standard texts. They keep the framework's values so that
// stored profiles and routing tables line up; a program's resources add
// their own ids beside these.

namespace fw {
inline namespace ids {

// Standard commands.
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

// Status bar indicators.
constexpr unsigned ID_INDICATOR_CAPS = 59137;
constexpr unsigned ID_INDICATOR_NUM = 59138;
constexpr unsigned ID_INDICATOR_SCRL = 59139;

// Control ids of a frame's parts.
constexpr unsigned AFX_IDW_PANE_FIRST = 0xE900;
constexpr unsigned AFX_IDW_TOOLBAR = 0xE800;
constexpr unsigned AFX_IDW_STATUS_BAR = 0xE801;

// Standard strings. The application's title is the program's to give.
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
constexpr unsigned AFX_IDP_FILE_NOT_REGULAR = 61717;

}  // namespace ids
}  // namespace fw
