#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_MAINICON 1
#define IDB_GLYPH_ABOUT 101
#define IDB_GLYPH_HELP 102
#define IDB_GLYPH_EXIT 103
#define IDI_TRAYICON 2
#define IDB_TRAY_ABOUT 111
#define IDB_TRAY_HELP 112
#define IDB_TRAY_OPEN 113
#define IDB_TRAY_REMOVE 114
#define IDR_LOGO_JPEG 201
