#pragma once
// The shell's fixed resources: command ids, the string table (status prompt before the line
// break, tooltip after it) and the captions the frame builds from the document template string.
#include <QString>

namespace qarlo {

// Command ids, as the menu, toolbar and accelerators know them.
inline constexpr int ID_RADIO_READ = 32771;
inline constexpr int ID_RADIO_WRITE = 32772;
inline constexpr int ID_PORT_COM1 = 32773;
inline constexpr int ID_PORT_COM2 = 32774;
inline constexpr int ID_RADIO_COMPARE = 32775; // ours: the radio against the document
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FILE1 = 57616;
inline constexpr int ID_EDIT_CLEAR = 57632;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;
inline constexpr int ID_INDICATOR_CAPS = 59137;
inline constexpr int ID_INDICATOR_NUM = 59138;
inline constexpr int ID_INDICATOR_SCRL = 59139;
// Our own additions to the File menu (no framework id).
inline constexpr int ID_FILE_EXPORT_CSV = 32780;
inline constexpr int ID_FILE_IMPORT_CSV = 32781;
// Our own addition to the View menu.
inline constexpr int ID_VIEW_OVERVIEW = 32782;

inline constexpr int MAX_RECENT_FILES = 4;

// The whole string of `id` from the string table ("" when it has none).
QString LoadString(int id);
// The part before the line break: the status-bar prompt.
QString PromptOf(int id);
// The part after the line break: the tooltip (the whole string when it has no line break).
QString TooltipOf(int id);

// Fields of the document template string.
QString WindowTitleField(); // "Qarlo写频软件"
QString FileFilter();       // "Qarlo 文件 (*.q02)"
QString DefaultSuffix();    // "q02" (without the dot)
QString UntitledName();     // the framework's untitled name, "无标题"
QString ReadyText();        // "就绪"
QString AppName();          // "qarlo"

// "TITLE - Qarlo写频软件"
QString MainCaption(const QString& documentTitle);

} // namespace qarlo
