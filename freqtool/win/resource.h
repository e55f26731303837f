// Resource ids of Tunavo.exe (shared by Tunavo.rc and the C++ sources).
// tunavo_dlg.cc checks the system-menu commands against the model's.
#ifndef TALIQ_FREQTOOL_WIN_RESOURCE_H_
#define TALIQ_FREQTOOL_WIN_RESOURCE_H_

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TUNAVO_DIALOG 102
#define IDD_FIND_DIALOG 103
#define IDD_HISTORY_DIALOG 104
#define IDR_MAINFRAME 128
#define IDM_ABOUTBOX 0x0010
#define IDM_FIND 0x0100
#define IDM_UNDO 0x0200
#define IDM_RESET_CODE 0x0300
#define IDM_EXPORT 0x0400
#define IDM_IMPORT 0x0500
#define IDM_HISTORY 0x0600
// Posted to the main dialog by itself once it is on screen.
#define ID_START_UP_CHECK 0x8001
#define AFX_IDS_APP_TITLE 57344

#define IDC_CANDIDATES 1000
#define IDC_CODE 1001
#define IDC_SIMPLIFIED 1002
#define IDC_TRADITIONAL 1003
#define IDC_MOVE_TOP 1004
#define IDC_MOVE_UP 1005
#define IDC_MOVE_DOWN 1006
#define IDC_MOVE_BOTTOM 1007
#define IDC_SINGLE 1008
#define IDC_PHRASE 1009
#define IDC_SAVE 1010
#define IDC_PUNCTUATION 1011

// The 查碼 dialog.
#define IDC_FIND_TEXT 1100
#define IDC_FIND_SEARCH 1101
#define IDC_FIND_STATUS 1102
#define IDC_FIND_HITS 1103
#define IDC_FIND_GO 1104

// The 調頻歷史 dialog.
#define IDC_HISTORY_LIST 1200

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

#endif  // TALIQ_FREQTOOL_WIN_RESOURCE_H_
