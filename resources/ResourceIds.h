// Every resource and control id of the module: dialogs, icons, bitmaps,
// the clip, controls and strings. Shared by the resource scripts and code;
// the string table's names, numbers and texts are in strings.inc.
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
#define IDC_ERASE_VERIFY 330
#define IDC_SOLID_STATE_NOTE 331
#define IDC_DOSBOX_SHELL 332

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
// The Working state's progress: the bar, the counts line, the rate, the time
// left, and the Pause button.
#define IDC_PROGRESS 470
#define IDC_COUNTS 471
#define IDC_RATE 472
#define IDC_TIME_LEFT 473
#define IDC_PAUSE 474

// Menu item pictures: normal, highlighted, grayed, grayed highlighted, at
// 16 pixels.
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

// The same pictures at 20 pixels.
#define IDB_VARNOKE_NORMAL_20 213
#define IDB_VARNOKE_HIGHLIGHTED_20 214
#define IDB_VARNOKE_GRAYED_20 215
#define IDB_VARNOKE_GRAYED_HIGHLIGHTED_20 216
#define IDB_DOSBOX_NORMAL_20 217
#define IDB_DOSBOX_HIGHLIGHTED_20 218
#define IDB_DOSBOX_GRAYED_20 219
#define IDB_DOSBOX_GRAYED_HIGHLIGHTED_20 220
#define IDB_DELETE_NORMAL_20 221
#define IDB_DELETE_HIGHLIGHTED_20 222
#define IDB_DELETE_GRAYED_20 223
#define IDB_DELETE_GRAYED_HIGHLIGHTED_20 224

// The same pictures at 24 pixels.
#define IDB_VARNOKE_NORMAL_24 225
#define IDB_VARNOKE_HIGHLIGHTED_24 226
#define IDB_VARNOKE_GRAYED_24 227
#define IDB_VARNOKE_GRAYED_HIGHLIGHTED_24 228
#define IDB_DOSBOX_NORMAL_24 229
#define IDB_DOSBOX_HIGHLIGHTED_24 230
#define IDB_DOSBOX_GRAYED_24 231
#define IDB_DOSBOX_GRAYED_HIGHLIGHTED_24 232
#define IDB_DELETE_NORMAL_24 233
#define IDB_DELETE_HIGHLIGHTED_24 234
#define IDB_DELETE_GRAYED_24 235
#define IDB_DELETE_GRAYED_HIGHLIGHTED_24 236

// The same pictures at 32 pixels.
#define IDB_VARNOKE_NORMAL_32 237
#define IDB_VARNOKE_HIGHLIGHTED_32 238
#define IDB_VARNOKE_GRAYED_32 239
#define IDB_VARNOKE_GRAYED_HIGHLIGHTED_32 240
#define IDB_DOSBOX_NORMAL_32 241
#define IDB_DOSBOX_HIGHLIGHTED_32 242
#define IDB_DOSBOX_GRAYED_32 243
#define IDB_DOSBOX_GRAYED_HIGHLIGHTED_32 244
#define IDB_DELETE_NORMAL_32 245
#define IDB_DELETE_HIGHLIGHTED_32 246
#define IDB_DELETE_GRAYED_32 247
#define IDB_DELETE_GRAYED_HIGHLIGHTED_32 248

// The string table. The resource compiler reads only the defines above.
#ifndef RC_INVOKED
// The sizes, in pixels, the pictures in the icons are drawn at; the first
// is the one shown at 96 DPI. tools/assets draws them.
constexpr int kModeIconSizes[] = {32, 48, 64};
constexpr int kTabIconSizes[] = {16, 20, 24, 32};

enum StringId : unsigned {
#define STR(name, id, text) name = id,
#include "resources/strings.inc"
#undef STR
};
#endif
