// Resource and control ids shared by the .rc files and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_DESTINATION 130
#define IDD_INTRO 132
#define IDD_CONFIRM 133
#define IDD_PROGRESS 140

#define IDC_DRIVE_LIST 1002
#define IDC_FOLDER_LIST 1003
#define IDC_PATH 1005
#define IDC_PAGE_TEXT 1006
#define IDC_ARTWORK 1007
#define IDC_BACK 1008
#define IDC_PROGRESS_STEP 1010
#define IDC_PROGRESS_ITEM 1011
#define IDC_PROGRESS_BAR 1012

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
