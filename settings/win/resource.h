// Resource ids of QevoConfig.exe (shared by QevoConfig.rc and the C++
// sources). qevoconfig_dlg.cc checks the control ids and the About command
// against the model's (settings/settings_dialog.h).
#ifndef TALIQ_SETTINGS_WIN_RESOURCE_H_
#define TALIQ_SETTINGS_WIN_RESOURCE_H_

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QEVOCONFIG_DIALOG 102
#define IDR_MAINFRAME 128
#define IDM_ABOUTBOX 0x0010

#define IDC_SHOWMODE_HORIZONTAL 1000
#define IDC_SHOWMODE_VERTICAL 1001
#define IDC_ASSIO_ON 1002
#define IDC_ASSIO_OFF 1003
#define IDC_SPEAK_ON 1004
#define IDC_SPEAK_OFF 1005
#define IDC_CHARSET_SIMPLIFIED 1006
#define IDC_CHARSET_TRADITIONAL 1007
#define IDC_SHOWMODE_GROUP 1008
#define IDC_SPEAK_GROUP 1009
#define IDC_ASSIO_GROUP 1010
#define IDC_CHARSET_GROUP 1011
#define IDC_ORDERMODE 1012
#define IDC_ZDY_ON 1013
#define IDC_ZDY_GROUP 1014
#define IDC_ZYCK_GROUP 1015
#define IDC_ZDY_OFF 1016
#define IDC_ZYCK_ON 1017
#define IDC_ZYCK_OFF 1018

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

#endif  // TALIQ_SETTINGS_WIN_RESOURCE_H_
