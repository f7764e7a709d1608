#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_MAINICON 1
#define IDB_GLYPH_ABOUT 101
#define IDB_GLYPH_HELP 102
#define IDB_GLYPH_EXIT 103
#define IDR_LOGO_JPEG 201
