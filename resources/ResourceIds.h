// Resource and control ids of the module: dialogs, icons, controls and the
// strings that code names directly; shared by the resource scripts and code.
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

// The Apply button of a property sheet: comctl32's own id, which its headers
// do not name.
#define IDC_SHEET_APPLY 0x3021
