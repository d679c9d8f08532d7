// Numeric IDs of Scrimble's Windows resources. Plain macros, because the
// resource compiler reads this file as well as the C++ code.
#ifndef SCRIMBLE_UI_RESOURCE_IDS_H
#define SCRIMBLE_UI_RESOURCE_IDS_H

// The lowest-numbered icon is the one the shell shows for the executable.
#define IDI_APP 1

// Button pictures, 24-bit bitmaps on a light grey RGB(192,192,192) face.
#define IDB_FULLSCREEN 101
#define IDB_ACTIVEWINDOW 102
#define IDB_SAVE 103
#define IDB_EXPLORER 104
#define IDB_PRINT 105
#define IDB_HOME 106
#define IDB_PATH 107
#define IDB_REGION 108

#endif
