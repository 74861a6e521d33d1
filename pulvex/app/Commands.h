#pragma once
// The program's commands by number, as menus, toolbar, accelerators and tests know them.

namespace pulvex_app {

enum Command : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_MRU_FILE1 = 57616, // .. 57619
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_OPTIONS_SETUP = 32771,
    ID_EDIT_UNSELECT_ALL = 32772,
    ID_FILE_SAVE_THEDRUM = 32774,
    ID_FILE_SAVE_MASTERDRUM = 32775,
    ID_FILE_RECEIVE = 32776,
    ID_FILE_RECEIVE_ALL = 32777,
    ID_FILE_EXPORT_FIRST = 32800, // .. one per drum-map format, in the order of drumMapFormats()
};

} // namespace pulvex_app
