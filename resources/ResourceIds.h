// Every resource and control id of the module: dialogs, icons, bitmaps,
// the clip, controls and strings. Shared by the resource scripts and code;
// the string table's texts are in strings.inc.
#pragma once

#define IDD_ITEMS_PAGE 105
#define IDD_DOSBOX_PAGE 106
#define IDD_DELETE_PAGE 107
#define IDD_CLEAN_PAGE 108

// Every page dialog measures this many dialog units.
#define PAGE_WIDTH_DU 212
#define PAGE_HEIGHT_DU 114

#define IDI_DELETE_TAB 124
#define IDI_DOSBOX_TAB 125

#define IDC_SHOW_DOSBOX 301
#define IDC_SHOW_DELETE 302
#define IDC_SHOW_CLEAN 303
#define IDC_MENU_BITMAPS 304
#define IDC_WEBLINK 310
#define IDC_DOSBOX_PARAM 311
#define IDC_RECYCLE 312
#define IDC_PERMANENT 313
#define IDC_ERASE 314
#define IDC_CONFIRM 315
#define IDC_MASKS 320
#define IDC_DESCR 322
#define IDC_INCLUDE 323
#define IDC_EXCLUDE 324
#define IDC_SUBFOLDERS 325
#define IDC_REPORT 327
#define IDC_METHOD 328

// Shown when a mask list holds the history's separator.
#define IDS_MASK_BAR_REFUSED 530
// Shown when a mask list holds no mask at all.
#define IDS_MASK_NONE_REFUSED 531

// The Apply button of a property sheet: comctl32's own id, which its headers
// do not name.
#define IDC_SHEET_APPLY 0x3021

// The operation dialog.
#define IDD_OPERATION 109
#define IDA_OPERATION 102

#define IDI_MODE_RECYCLE 121
#define IDI_MODE_DELETE 122
#define IDI_MODE_ERASE 123

#define IDC_MODEICON 316
#define IDC_TEXT 317
#define IDC_ANIMATION 318
#define IDC_FILENAME 319
#define IDC_PASSES 329

// Menu item pictures: normal, highlighted, grayed, grayed highlighted.
#define IDB_VARNOKE_NORMAL 201
#define IDB_VARNOKE_HIGHLIGHTED 202
#define IDB_VARNOKE_GRAYED 203
#define IDB_VARNOKE_GRAYED_HIGHLIGHTED 204
#define IDB_DOSBOX_NORMAL 205
#define IDB_DOSBOX_HIGHLIGHTED 206
#define IDB_DOSBOX_GRAYED 207
#define IDB_DOSBOX_GRAYED_HIGHLIGHTED 208
#define IDB_DELETE_NORMAL 209
#define IDB_DELETE_HIGHLIGHTED 210
#define IDB_DELETE_GRAYED 211
#define IDB_DELETE_GRAYED_HIGHLIGHTED 212

// The string table. The resource compiler reads only the defines above.
#ifndef RC_INVOKED
enum StringId : unsigned {
  IDS_POPUP = 401,
  IDS_POPUP_HELP = 402,
  IDS_CONFIGURE = 403,
  IDS_CONFIGURE_HELP = 404,
  IDS_SHEET_CAPTION = 405,
  IDS_DOSBOX = 406,
  IDS_DOSBOX_HELP = 407,
  IDS_DELETE = 408,
  IDS_DELETE_HELP = 409,
  IDS_CONFIRM_RECYCLE = 410,
  IDS_CONFIRM_DELETE = 411,
  IDS_CONFIRM_ERASE = 412,
  IDS_CONFIRM_CLEAN = 413,
  IDS_NOT = 414,
  IDS_AND_SUBFOLDERS = 415,
  IDS_CAPTION_RECYCLE = 416,
  IDS_CAPTION_DELETE = 417,
  IDS_CAPTION_ERASE = 418,
  IDS_CAPTION_CLEAN = 419,
  IDS_CANCEL = 420,
  IDS_EXIT = 421,
  IDS_CLEAN = 422,
  IDS_CLEAN_HELP = 423,
  IDS_REPORT_CLEAN = 424,
  IDS_REPORT_DELETE = 425,
  IDS_BYTE = 426,
  IDS_BYTES = 427,
  IDS_KB = 428,
  IDS_MB = 429,
  IDS_GB = 430,
  IDS_FREED = 431,
  IDS_FOLDER_LIST = 432,
  IDS_CLEAN_LIST = 433,
  IDS_FILE_DELETED = 434,
  IDS_FILES_DELETED = 435,
  IDS_FOLDER_REMOVED = 436,
  IDS_FOLDERS_REMOVED = 437,
  IDS_ERROR = 438,
  IDS_ERRORS = 439,
  IDS_METHOD_ZERO = 440,  // + EraseMethod value
  IDS_METHOD_RANDOM = 441,
  IDS_METHOD_DOD = 442,
  IDS_METHOD_GUTMANN = 443,
  IDS_PASS_OF = 444,
  IDS_NO_USABLE_MASK = 445,
  IDS_DRIVE_ROOT_REFUSED = 446,
  IDS_HELP_DOSBOX_PARAM = 501,
  IDS_HELP_RECYCLE = 502,
  IDS_HELP_PERMANENT = 503,
  IDS_HELP_ERASE = 504,
  IDS_HELP_METHOD = 505,
  IDS_HELP_CONFIRM = 506,
  IDS_HELP_DELETE_REPORT = 507,
  IDS_HELP_MASKS = 508,
  IDS_HELP_INCLUDE = 509,
  IDS_HELP_EXCLUDE = 510,
  IDS_HELP_SUBFOLDERS = 511,
  IDS_HELP_CLEAN_REPORT = 512,
  IDS_HELP_MENU_ICONS = 513,
};
#endif
